#include "components/archive/edit_context.h"

#include "components/archive/database.h"
#include "seltrane_components/os/report_error.h"

#include <exception>

namespace Archive {

EditContext::EditContext(DatabaseId databaseId)
{
    Database& database = resolveDatabase(databaseId);
    databaseId_ = database.id();
    database.beginContext();
}

EditContext::~EditContext()
{
    if (committed_)
        return;
    try {
        resolveDatabase(databaseId_).rollbackContext();
    } catch (const std::exception& e) {
        debugPrintf("EditContext rollback failed: %s\n", e.what());
    } catch (...) {
        debugPrintf("EditContext rollback failed\n");
    }
}

void EditContext::commit()
{
    resolveDatabase(databaseId_).commitContext();
    committed_ = true;
}

} // namespace Archive
