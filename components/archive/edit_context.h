// Archive::EditContext opens an edit transaction on the calling thread for
// the lifetime of a scope. commit() makes its changes the committed state all
// at once; a guard that ends without a successful commit() rolls back, which
// leaves the committed state as it was and frees the ids its adds reserved.
//
//   Archive::EditContext context(databaseId);
//   Archive::addObject(arrayId, id, object, databaseId);
//   context.commit();
//
// Construction raises code 3 for an unknown database, 13 when the thread
// already has a transaction on it, 15 from a change listener. The destructor
// never throws, not even when the database was closed meanwhile.
//
// Threads: a guard belongs to the thread that made it.
#ifndef ARCHIVE_EDIT_CONTEXT_H
#define ARCHIVE_EDIT_CONTEXT_H

#include "components/archive/object_base.h"

namespace Archive {

class EditContext
{
public:
    explicit EditContext(DatabaseId databaseId = 0);
    ~EditContext();
    EditContext(const EditContext&) = delete;
    EditContext& operator=(const EditContext&) = delete;

    // Raises what the commit raises (code 1 for a stale record); the
    // transaction is gone afterwards either way.
    void commit();
    bool isCommitted() const { return m_committed; }

private:
    // The resolved id, so that a change of the current database meanwhile
    // cannot make the guard end another database's transaction.
    DatabaseId m_databaseId;
    bool m_committed = false;
};

}  // namespace Archive

#endif  // ARCHIVE_EDIT_CONTEXT_H
