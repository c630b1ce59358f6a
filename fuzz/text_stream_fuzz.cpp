// The text object stream: a database array file (see array_file_harness.h).
#include "components/archive/text_stream.h"
#include "fuzz/array_file_harness.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    registerObjectTypes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return Fuzz::readArrayInput<TextInStream, TextOutStream>(data, size);
}
