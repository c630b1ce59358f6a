// Registration of the version-2 project types with the object type registry:
// the streams' own codes, the numbered directories' base and every project
// class and value type under its code and stored name.
//
// registerObjectTypes() must run before anything streams a project; it is
// idempotent and may be called from any thread. Afterwards the registry is
// only read.
#ifndef LX_OBJECTS_PROJECT_OBJECT_TYPES_H
#define LX_OBJECTS_PROJECT_OBJECT_TYPES_H

void registerObjectTypes();

#endif  // LX_OBJECTS_PROJECT_OBJECT_TYPES_H
