#include "applications/morvant/conversion/conversion_context.h"

#include "components/archive/archive_exception.h"
#include "components/quilshow/show/show_streamer.h"

// The database's code for an add that found no free id.
static const int kNoFreeIdCode = 16;

void ConversionContext::remove(Archive::ArrayId array, Archive::ObjectId id) const
{
    Archive::ObjectPtr object;
    Archive::getObject(object, array, id, database);
    if (object.isObject())
        Archive::removeObject(array, object, database);
}

QString oneLine(const std::string& text) { return Quil::toQString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')); }

bool isNoRoom(const std::exception& error, Archive::ArrayId* array)
{
    const auto* archiveError = dynamic_cast<const Archive::archive_exception*>(&error);
    if (!archiveError || archiveError->code() != kNoFreeIdCode)
        return false;
    if (array)
        *array = archiveError->arrayId();
    return true;
}
