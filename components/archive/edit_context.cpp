#include "components/archive/edit_context.h"

#include "components/archive/database.h"
#include "seltrane_components/os/report_error.h"

#include <exception>

namespace Archive {

EditContext::EditContext(DatabaseId databaseId)
{
    Database& database = resolveDatabase(databaseId);
    m_databaseId = database.id();
    database.beginContext();
}

EditContext::~EditContext()
{
    if (m_committed)
        return;
    try {
        resolveDatabase(m_databaseId).rollbackContext();
    } catch (const std::exception& e) {
        debugPrintf("EditContext rollback failed: %s\n", e.what());
    } catch (...) {
        debugPrintf("EditContext rollback failed\n");
    }
}

void EditContext::commit()
{
    resolveDatabase(m_databaseId).commitContext();
    m_committed = true;
}

}  // namespace Archive
