// The show reader's own test writer, built into these tests as well so that
// both sides agree on the version-1 bytes.
#include "components/quilshow/tests/show_writer.cpp"
