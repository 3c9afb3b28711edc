/*
 * Tessella: an embeddable, schema-driven record database with a flat C interface.
 *
 * Conventions (binding on every function below):
 *
 * Handles   Every object (record, structure, field, schema structure, schema field, schema
 *           enumeration) is named by a 64-bit handle. Handles come from one process-wide counter
 *           that starts at 1; they are never reused, not even after DB_Close. 0 means "no object".
 *           A handle whose object was destroyed, or that is out of service (removed by an edit
 *           that undo can bring back), is treated as absent.
 * Results   Failures never cross this interface as exceptions or error codes. A function that
 *           cannot do its work returns a neutral result (0, false, NULL or an empty string, as
 *           stated per function) and, where noted, writes a line to the log callback.
 * Text      Text passed in is copied when kept; the library never keeps a caller's pointer.
 *           Text returned is owned by the library: it points into the object it describes or into
 *           the one export buffer, and stays valid until that object or buffer next changes
 *           (DB_Export and DB_DataStruct_Serialize share the export buffer). Never free it.
 * Threads   The library starts no threads and takes no locks. Call it from one thread at a time.
 * Callbacks Callbacks are called synchronously from inside the function that needs them and must
 *           not call back into the library.
 * Files     Record file paths are relative to the data directory. Files are read only through the
 *           host's FileSizer and FileLoader; records are written and deleted relative to the
 *           process's current directory, which the host keeps at the data directory.
 */
#ifndef TESSELLA_H_
#define TESSELLA_H_

#include <stdbool.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(TESSELLA_BUILDING)
#define TESSELLA_API __declspec(dllexport)
#else
#define TESSELLA_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define TESSELLA_API __attribute__((visibility("default")))
#else
#define TESSELLA_API
#endif

#ifdef __cplusplus
#define TESSELLA_NOEXCEPT noexcept
extern "C" {
#else
#define TESSELLA_NOEXCEPT
#endif

/* Level passed to the LogCallback. */
enum {
  TESSELLA_LOG_MESSAGE = 1,
  TESSELLA_LOG_ERROR = 2,
  TESSELLA_LOG_EXCEPTION = 3 /* an internal fault, with source location */
};

/* Field value types (DB_DataField_GetType, DB_SchemaField_GetFieldType). */
enum {
  TESSELLA_FIELD_BOOL = 1,
  TESSELLA_FIELD_INT8 = 2,
  TESSELLA_FIELD_INT16 = 3,
  TESSELLA_FIELD_INT32 = 4,
  TESSELLA_FIELD_INT64 = 5,
  TESSELLA_FIELD_UINT8 = 6,
  TESSELLA_FIELD_UINT16 = 7,
  TESSELLA_FIELD_UINT32 = 8,
  TESSELLA_FIELD_UINT64 = 9,
  TESSELLA_FIELD_STRING = 10,
  TESSELLA_FIELD_FLOAT = 11,
  TESSELLA_FIELD_DOUBLE = 12,
  TESSELLA_FIELD_LOCID = 13,
  TESSELLA_FIELD_ENUM = 14,
  TESSELLA_FIELD_STRUCT = 15,
  TESSELLA_FIELD_REFERENCE = 16 /* a link to another record */
};

/* Field options: the pointer marker of a field declaration. */
enum {
  TESSELLA_OPTION_NONE = 0,
  TESSELLA_OPTION_POINTER = 1,      /* "@": owning pointer */
  TESSELLA_OPTION_WEAK_POINTER = 2, /* "*": weak pointer */
  TESSELLA_OPTION_AMPERSAND = 3     /* "&": a reference stored in record files */
};

/* Storage types: how many elements a field holds. */
enum {
  TESSELLA_STORAGE_SINGLE = 0,
  TESSELLA_STORAGE_DYNAMIC_ARRAY = 1,
  TESSELLA_STORAGE_FIXED_ARRAY = 2
};

/* Object kinds behind a handle. */
enum {
  TESSELLA_OBJECT_SCHEMA_STRUCT = 1,
  TESSELLA_OBJECT_SCHEMA_FIELD = 2,
  TESSELLA_OBJECT_SCHEMA_ENUM = 3,
  TESSELLA_OBJECT_STRUCT = 4,
  TESSELLA_OBJECT_FIELD = 5,
  TESSELLA_OBJECT_RECORD = 6
};

/* Receives one finished log line; text is valid only during the call. */
typedef void (*LogCallback)(int32_t level, const char* text);
/* Size of the file in bytes; 0 when the file cannot be found. */
typedef uint32_t (*FileSizer)(const char* path);
/* Copies exactly the file's bytes into buffer (room for the FileSizer result plus one byte). */
typedef void (*FileLoader)(const char* path, char* buffer);
/* Told once per file step of DB_Load how far the load is and which file was just handled. */
typedef void (*ProgressCallback)(int32_t percent, const char* path);

/* ---- Library frame ---------------------------------------------------------------------- */

/* Replaces the log callback; NULL switches logging off. Kept across DB_Load and DB_Close. */
TESSELLA_API void RegisterForLogging(LogCallback callback) TESSELLA_NOEXCEPT;
/* Closes any open database, clears the undo history and loads the given schema and record
   files through the callbacks (progress may be NULL; a NULL list counts as empty and a NULL path
   is passed over). True when the database opened. */
TESSELLA_API bool DB_Load(FileLoader fileLoader, FileSizer fileSizer, ProgressCallback progress,
                          uint32_t schemaFileCount, const char* const* schemaFiles,
                          uint32_t recordFileCount,
                          const char* const* recordFiles) TESSELLA_NOEXCEPT;
/* Destroys every record and tears the schema down. Harmless when nothing is open. */
TESSELLA_API void DB_Close(void) TESSELLA_NOEXCEPT;

/* ---- Record registry -------------------------------------------------------------------- */

/* Number of registered records. */
TESSELLA_API uint64_t DB_GetRecordCount(void) TESSELLA_NOEXCEPT;
/* The record handles in registration order (DB_GetRecordCount of them); valid until the next
   record is added or removed. */
TESSELLA_API const uint64_t* DB_GetRecords(void) TESSELLA_NOEXCEPT;
/* The record with exactly this hash, or 0. */
TESSELLA_API uint64_t DB_GetRecordByHash(const char* hash) TESSELLA_NOEXCEPT;
/* The record with this name (letter case ignored), or 0. */
TESSELLA_API uint64_t DB_GetRecordByName(const char* name) TESSELLA_NOEXCEPT;
/* The record's name; NULL for an invalid handle. */
TESSELLA_API const char* DB_DataRecord_Name(uint64_t record) TESSELLA_NOEXCEPT;
/* The record's file name; "" (not NULL) for an invalid handle. */
TESSELLA_API const char* DB_DataRecord_Filename(uint64_t record) TESSELLA_NOEXCEPT;
/* The name of the record's type; NULL for an invalid handle or a type that no longer exists. */
TESSELLA_API const char* DB_DataRecord_SchemaName(uint64_t record) TESSELLA_NOEXCEPT;
/* The record's hash ("" when it could not be given one); NULL for an invalid handle. */
TESSELLA_API const char* DB_DataRecord_Hash(uint64_t record) TESSELLA_NOEXCEPT;
/* True when the record was edited since it was last loaded or saved. */
TESSELLA_API bool DB_DataRecord_IsDirty(uint64_t record) TESSELLA_NOEXCEPT;

/* ---- Record persistence ----------------------------------------------------------------- */

/* The record in record file form, in the export buffer; NULL for an invalid handle. Writes no
   file. The buffer is written in place, so a pointer from an earlier export shows this text;
   it is valid until the next export or serialisation. */
TESSELLA_API const char* DB_Export(uint64_t record) TESSELLA_NOEXCEPT;
/* Writes nothing and changes nothing; always true. To write records use DB_SaveAll or
   DB_DataRecord_Save. */
TESSELLA_API bool DB_ExportAll(void) TESSELLA_NOEXCEPT;
/* Writes every dirty record to its file and clears its dirty flag; a record that cannot be
   written stays dirty. Always true. */
TESSELLA_API bool DB_SaveAll(void) TESSELLA_NOEXCEPT;
/* Writes the record to its file and clears its dirty flag. False when it could not be written. */
TESSELLA_API bool DB_DataRecord_Save(uint64_t record) TESSELLA_NOEXCEPT;
/* Writes nothing and changes nothing: false when the handle names a live record, true for any
   other handle. To write the record use DB_DataRecord_Save. */
TESSELLA_API bool DB_DataRecord_Export(uint64_t record) TESSELLA_NOEXCEPT;

/* ---- Record queries --------------------------------------------------------------------- */

/* Runs a query ("SELECT ..."); returns the number of records found, which become the results.
   A query that does not parse (logged), and a NULL query, return 0 and KEEP the previous
   results: the 0 is not their number. */
TESSELLA_API uint64_t DB_Query(const char* query) TESSELLA_NOEXCEPT;
/* Copies ALL of the current results into out and returns their number; with out NULL it only
   returns the number. Size out by that number, never by what DB_Query returned:
     uint64_t count = DB_QueryGetResults(NULL);
     uint64_t* handles = malloc(count * sizeof *handles);
     DB_QueryGetResults(handles); */
TESSELLA_API uint64_t DB_QueryGetResults(uint64_t* out) TESSELLA_NOEXCEPT;

/* ---- Record lifecycle ------------------------------------------------------------------- */

/* Creates a record of the type with default values, named "<typeName>.<name>", and writes it to
   directory + "<typeName>.<name>.xml" (directory is used as given). 0 when that name is taken, or
   (logged) when name is empty, "." or "..", or holds \ / : < > " | ? * or a control character.
   A record whose file could not be written is dirty, so DB_SaveAll writes it. */
TESSELLA_API uint64_t DB_CreateRecord(const char* typeName, const char* directory,
                                      const char* name) TESSELLA_NOEXCEPT;
/* Loads one more record file through the callbacks given to DB_Load; 0 on failure. */
TESSELLA_API uint64_t DB_LoadRecord(const char* path) TESSELLA_NOEXCEPT;
/* Replaces the record with the content of its file. */
TESSELLA_API bool DB_ReloadRecord(uint64_t record) TESSELLA_NOEXCEPT;
TESSELLA_API bool DB_ReloadRecordByName(const char* name) TESSELLA_NOEXCEPT;
/* With deleteFile true, deletes the record's file and destroys the record (its edits left in the
   history do nothing when undone or redone); false does nothing. Returns false in every case:
   success shows in DB_GetRecords and in the handle no longer resolving. */
TESSELLA_API bool DB_RemoveRecord(uint64_t record, bool deleteFile) TESSELLA_NOEXCEPT;
/* Points the record's file name at <directory>\<newName>.xml for the next save. The record's
   name and the file on disk stay as they are. False (logged) for a name that is empty, "." or
   "..", or holds \ / : < > " | ? * or a control character. */
TESSELLA_API bool DB_DataRecord_Rename(uint64_t record, const char* newName) TESSELLA_NOEXCEPT;

/* ---- Schema reflection ------------------------------------------------------------------ */
/* Schema handles stay valid until the next DB_Load or DB_Close; returned texts likewise. */

/* The structure or record of that name, or 0 (also for NULL). */
TESSELLA_API uint64_t DB_SchemaStruct(const char* name) TESSELLA_NOEXCEPT;
/* The enumeration of that name, or 0 (also for NULL). */
TESSELLA_API uint64_t DB_SchemaEnum(const char* name) TESSELLA_NOEXCEPT;
/* Declared name and declaring schema file; "" for an invalid handle. */
TESSELLA_API const char* DB_SchemaStruct_GetName(uint64_t schemaStruct) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_SchemaStruct_GetOwnerFile(uint64_t schemaStruct) TESSELLA_NOEXCEPT;
/* Field count, counting from start when start is not 0, with the ancestors' fields on request. */
TESSELLA_API uint64_t DB_SchemaStruct_GetFieldCount(uint64_t schemaStruct, bool includeInherited,
                                                    uint64_t start) TESSELLA_NOEXCEPT;
/* Number of record types, and the index-th in declaration order (0 when out of range). */
TESSELLA_API uint64_t DB_SchemaRecord_GetCount(void) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_SchemaRecord_GetByIndex(int32_t index) TESSELLA_NOEXCEPT;
/* The index-th field; with inheritance the root ancestor's fields come first. 0 when out of
   range. */
TESSELLA_API uint64_t DB_SchemaStruct_GetFieldByIndex(uint64_t schemaStruct, int32_t index,
                                                      bool includeInherited,
                                                      uint64_t start) TESSELLA_NOEXCEPT;
/* The nearest field of that name (own fields first, then start's chain or the ancestors). */
TESSELLA_API uint64_t DB_SchemaStruct_GetFieldByName(uint64_t schemaStruct, const char* name,
                                                     bool includeInherited,
                                                     uint64_t start) TESSELLA_NOEXCEPT;
/* The structure's value for key, or NULL. */
TESSELLA_API const char* DB_SchemaStruct_GetKeyValue(uint64_t schemaStruct,
                                                     const char* key) TESSELLA_NOEXCEPT;
/* Structures deriving from this one at any depth, in declaration order. */
TESSELLA_API uint64_t DB_SchemaStruct_StructsThatInheritFromMeCount(uint64_t schemaStruct)
    TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_SchemaStruct_StructsThatInheritFromMeByIndex(
    uint64_t schemaStruct, int32_t index) TESSELLA_NOEXCEPT;
/* The parent structure, or 0. */
TESSELLA_API uint64_t DB_SchemaStruct_GetInheritsFrom(uint64_t schemaStruct) TESSELLA_NOEXCEPT;
/* True when other is an ancestor (a structure without a parent also answers true for 0). */
TESSELLA_API bool DB_SchemaStruct_DoesInheritFrom(uint64_t schemaStruct,
                                                  uint64_t other) TESSELLA_NOEXCEPT;
/* FieldType, FieldOption and StorageType codes; 0 for an invalid handle. */
TESSELLA_API uint32_t DB_SchemaField_GetFieldType(uint64_t schemaField) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_SchemaField_GetFieldOption(uint64_t schemaField) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_SchemaField_GetFieldStorageType(uint64_t schemaField) TESSELLA_NOEXCEPT;
/* Name of the enumeration, structure or record the field's type names; NULL for keyword types.
   The three functions are the same function. */
TESSELLA_API const char* DB_SchemaField_GetEnumName(uint64_t schemaField) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_SchemaField_GetStructName(uint64_t schemaField) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_SchemaField_GetRecordName(uint64_t schemaField) TESSELLA_NOEXCEPT;
/* Number of key-values; GetKeyValues fills both arrays (sized by the count) in key order. */
TESSELLA_API uint64_t DB_SchemaField_GetKeyValuesCount(uint64_t schemaField) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_SchemaField_GetKeyValues(uint64_t schemaField, const char** keys,
                                              const char** values) TESSELLA_NOEXCEPT;
/* Declared name, and the "desc" key-value (or NULL); both NULL for an invalid handle. */
TESSELLA_API const char* DB_SchemaField_GetName(uint64_t schemaField) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_SchemaField_GetDescription(uint64_t schemaField) TESSELLA_NOEXCEPT;
/* True only when the schema declared both "min" and "max" for a numeric field. */
TESSELLA_API bool DB_SchemaField_HasRange(uint64_t schemaField) TESSELLA_NOEXCEPT;
/* Three 8-byte values min, max, step: double for Float and Double, int64_t for Int8..Int64,
   uint64_t for UInt8..UInt64. NULL for other types. */
TESSELLA_API const void* DB_SchemaField_GetRange(uint64_t schemaField) TESSELLA_NOEXCEPT;
/* Declared name; NULL for an invalid handle. */
TESSELLA_API const char* DB_SchemaEnum_GetName(uint64_t schemaEnum) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_SchemaEnum_GetEnumerableCount(uint64_t schemaEnum) TESSELLA_NOEXCEPT;
/* Stores the index-th enumerable's name in *out; writes nothing when out of range. */
TESSELLA_API void DB_SchemaEnum_GetEnumerableByIndex(uint64_t schemaEnum, int32_t index,
                                                     const char** out) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_SchemaEnum_GetKeyValue(uint64_t schemaEnum,
                                                   const char* key) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_SchemaEnum_GetEnumerableKeyValue(uint64_t schemaEnum,
                                                             const char* enumerable,
                                                             const char* key) TESSELLA_NOEXCEPT;

/* ---- Pointable structures --------------------------------------------------------------- */

/* The structures inside a record that a weak pointer may target, depth first. */
TESSELLA_API uint64_t DB_DataRecord_PointableStructureCount(uint64_t record) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataRecord_GetPointableStructure(uint64_t record,
                                                          uint32_t index) TESSELLA_NOEXCEPT;
/* The structure at a URL ("Field.Array[2].Inner") inside the record, or 0. */
TESSELLA_API uint64_t DB_DataRecord_ResolveURL(uint64_t record, const char* url) TESSELLA_NOEXCEPT;

/* ---- Command history -------------------------------------------------------------------- */
/* Every edit is recorded as an undo step, also while undo is disabled; a new edit drops the steps
   that could be redone. DB_Load empties the history and closes an open chain; DB_Close empties it
   too. An edit whose record was removed since does nothing when it is undone or redone. */

/* Disabling makes the other six do nothing (CanUndo and CanRedo answer false); edits are still
   recorded and can be undone once undo is enabled again. */
TESSELLA_API void DB_EnableUndo(bool enable) TESSELLA_NOEXCEPT;
TESSELLA_API bool DB_CanUndo(void) TESSELLA_NOEXCEPT;
TESSELLA_API bool DB_CanRedo(void) TESSELLA_NOEXCEPT;
/* Undoes the newest step, its edits newest first; redoes the newest undone step in the order its
   edits were made. Nothing when there is none. */
TESSELLA_API void DB_Undo(void) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_Redo(void) TESSELLA_NOEXCEPT;
/* Edits between Begin and End undo and redo as one step; Begin makes that step at once, so an
   empty chain is a step too. Chains do not nest. An edit made while the chain's step is no longer
   the newest (it was undone, or a redo covered it) starts a new step for the chain. */
TESSELLA_API void DB_BeginCommandChain(void) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_EndCommandChain(void) TESSELLA_NOEXCEPT;

/* ---- Field access ----------------------------------------------------------------------- */
/* index selects the element; single-value fields use 0. Reads of an invalid handle or index
   return 0, false or "" (a text read never returns NULL). Every Set, Add, Remove, Shift, Move,
   New and Delete is one undoable edit: it marks the field, its structures and its record dirty,
   and undo restores the value and the field's flag. A record reads clean exactly when its file
   holds what memory holds (undoing past a save makes it dirty again).
   Edits of an invalid handle do nothing and record nothing. Edits the field cannot take (the
   Set or Add of another kind of value than DB_DataField_GetType names, an index beyond the
   elements, an array already holding its most elements) are refused with a log line and record
   nothing. */

TESSELLA_API uint64_t DB_DataField_GetSchema(uint64_t field) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataField_GetParent(uint64_t field) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_GetType(uint64_t field) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_GetOption(uint64_t field) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_DataField_GetName(uint64_t field) TESSELLA_NOEXCEPT;
TESSELLA_API bool DB_DataField_IsDirty(uint64_t field) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataField_GetArrayElementCount(uint64_t field) TESSELLA_NOEXCEPT;

TESSELLA_API bool DB_DataField_GetValueAsBool(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API int8_t DB_DataField_GetValueAsInt8(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint8_t DB_DataField_GetValueAsUInt8(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API int16_t DB_DataField_GetValueAsInt16(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint16_t DB_DataField_GetValueAsUInt16(uint64_t field,
                                                    int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API int32_t DB_DataField_GetValueAsInt32(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_GetValueAsUInt32(uint64_t field,
                                                    int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API int32_t DB_DataField_GetValueAsLocId(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API int64_t DB_DataField_GetValueAsInt64(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataField_GetValueAsUInt64(uint64_t field,
                                                    int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API float DB_DataField_GetValueAsFloat(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API double DB_DataField_GetValueAsDouble(uint64_t field, int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_DataField_GetValueAsString(uint64_t field,
                                                       int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_DataField_GetValueAsEnum(uint64_t field,
                                                     int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataField_GetValueAsStruct(uint64_t field,
                                                    int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataField_GetValueAsPointer(uint64_t field,
                                                     int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataField_GetValueAsWeakPointer(uint64_t field,
                                                         int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataField_GetValueAsRecord(uint64_t field,
                                                    int32_t index) TESSELLA_NOEXCEPT;

/* Sets element index (the element count appends one). A value equal to the stored one is still
   a step, which changes nothing. Texts are copied; NULL is the empty text. A weak pointer refuses
   a structure whose type is not its declared type or derived from it (logged; nothing changes);
   an owning field keeps the structure it replaces until the edit leaves the history. */
TESSELLA_API void DB_DataField_SetValueAsBool(uint64_t field, bool value,
                                              int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsInt8(uint64_t field, int8_t value,
                                              int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsUInt8(uint64_t field, uint8_t value,
                                               int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsInt16(uint64_t field, int16_t value,
                                               int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsUInt16(uint64_t field, uint16_t value,
                                                int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsInt32(uint64_t field, int32_t value,
                                               int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsUInt32(uint64_t field, uint32_t value,
                                                int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsLocId(uint64_t field, int32_t value,
                                               int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsInt64(uint64_t field, int64_t value,
                                               int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsUInt64(uint64_t field, uint64_t value,
                                                int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsFloat(uint64_t field, float value,
                                               int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsDouble(uint64_t field, double value,
                                                int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsString(uint64_t field, const char* value,
                                                int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsEnum(uint64_t field, const char* value,
                                              int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsStruct(uint64_t field, uint64_t value,
                                                int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsPointer(uint64_t field, uint64_t value,
                                                 int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsWeakPointer(uint64_t field, uint64_t value,
                                                     int32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API void DB_DataField_SetValueAsRecord(uint64_t field, uint64_t value,
                                                int32_t index) TESSELLA_NOEXCEPT;

/* Insert an element before index (0xFFFFFFFF appends); return the position used, or 0xFFFFFFFF
   when nothing was inserted (refused, or a weak-pointer target of the wrong type). */
TESSELLA_API uint32_t DB_DataField_AddArrayElementBool(uint64_t field, bool value,
                                                       uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementInt8(uint64_t field, int8_t value,
                                                       uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementUInt8(uint64_t field, uint8_t value,
                                                        uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementInt16(uint64_t field, int16_t value,
                                                        uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementUInt16(uint64_t field, uint16_t value,
                                                         uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementInt32(uint64_t field, int32_t value,
                                                        uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementUInt32(uint64_t field, uint32_t value,
                                                         uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementLocId(uint64_t field, int32_t value,
                                                        uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementInt64(uint64_t field, int64_t value,
                                                        uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementUInt64(uint64_t field, uint64_t value,
                                                         uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementFloat(uint64_t field, float value,
                                                        uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementDouble(uint64_t field, double value,
                                                         uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementString(uint64_t field, const char* value,
                                                         uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementEnum(uint64_t field, const char* value,
                                                       uint32_t index) TESSELLA_NOEXCEPT;
/* Structures and owning pointers: value is a structure to insert, or 0 for a new structure of the
   field's type. A structure removed by an earlier edit is taken over, with its parent link; undo
   gives it back. A new structure is destroyed once its step can no longer be redone. */
TESSELLA_API uint32_t DB_DataField_AddArrayElementStruct(uint64_t field, uint64_t value,
                                                         uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementPointer(uint64_t field, uint64_t value,
                                                          uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementWeakPointer(uint64_t field, uint64_t value,
                                                              uint32_t index) TESSELLA_NOEXCEPT;
TESSELLA_API uint32_t DB_DataField_AddArrayElementReference(uint64_t field, uint64_t value,
                                                            uint32_t index) TESSELLA_NOEXCEPT;
/* Removes element index of a dynamic array (fixed arrays and single values refuse, logged). A
   removed structure leaves service with its fields; undo brings back the same handles. */
TESSELLA_API void DB_DataField_RemoveArrayElement(uint64_t field, uint32_t index) TESSELLA_NOEXCEPT;
/* Exchanges element index with element index + distance; when either lies outside the array
   nothing changes, but the step is recorded. */
TESSELLA_API void DB_DataField_ShiftArrayElement(uint64_t field, uint32_t index,
                                                 int32_t distance) TESSELLA_NOEXCEPT;
/* Moves the structure element from the array fromField to the end of the array toField as one
   undo step (closing a chain the host has open); its parent link follows it. False, with nothing
   recorded, when the arrays do not hold structures of one type (logged), the structure is not an
   element of fromField, or toField is full. */
TESSELLA_API bool DB_DataField_MoveArrayElementFrom(uint64_t fromField, uint64_t element,
                                                    uint64_t toField) TESSELLA_NOEXCEPT;
/* Attaches target (0: a new structure of the field's type) to the empty owning-pointer element
   index; an element that holds a structure already is logged and left alone. */
TESSELLA_API void DB_DataField_NewPointer(uint64_t field, uint64_t target,
                                          uint32_t index) TESSELLA_NOEXCEPT;
/* Empties the owning-pointer element index; its structure leaves service until undo. */
TESSELLA_API void DB_DataField_DeletePointer(uint64_t field, uint32_t index) TESSELLA_NOEXCEPT;

/* ---- Structure access ------------------------------------------------------------------- */

/* The structure as XML text in the export buffer; filter (or NULL) limits it to one field. ""
   for an invalid handle. */
TESSELLA_API const char* DB_DataStruct_Serialize(uint64_t dataStruct, const char* filter,
                                                 bool emptyWeakPointers) TESSELLA_NOEXCEPT;
/* Replaces the structure (only field filter of it, when not NULL) from text in the form Serialize
   writes, as one undoable edit; text and filter are copied. Undo and redo bring back the very
   structures (same handles) that the text replaced or created. False, with nothing recorded, for
   an invalid handle or a NULL text; text that does not parse records a step that changes
   nothing. Leaves the export buffer as it is. */
TESSELLA_API bool DB_DataStruct_Deserialize(uint64_t dataStruct, const char* text,
                                            const char* filter) TESSELLA_NOEXCEPT;
/* True when text parses, begins with an element, and that element is named as
   DB_DataStruct_FieldName names the structure. */
TESSELLA_API bool DB_DataStruct_CanDeserialize(uint64_t dataStruct,
                                               const char* text) TESSELLA_NOEXCEPT;
/* The record containing the structure, and the structure that owns it (0 for a record). */
TESSELLA_API uint64_t DB_DataStruct_GetRecord(uint64_t dataStruct) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataStruct_GetParent(uint64_t dataStruct) TESSELLA_NOEXCEPT;
/* Undoable: the declared type clears the polymorphic type, a type derived from it becomes the
   polymorphic type and its missing fields are added with default values (undo keeps them); any
   other type is logged and changes nothing, but records a step. */
TESSELLA_API void DB_DataStruct_SetPolymorphicType(uint64_t dataStruct,
                                                   uint64_t schemaStruct) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataStruct_GetPolymorphicType(uint64_t dataStruct) TESSELLA_NOEXCEPT;
/* Appends a copy of the structure to the array that holds it, as one undoable edit. False when it
   is not an element of an array or the array is full. Leaves the export buffer as it is. */
TESSELLA_API bool DB_DataStruct_DuplicateInsideArray(uint64_t dataStruct) TESSELLA_NOEXCEPT;
/* The declared type's name, and the name of the field holding the structure (a record's own
   name for a record); "" for an invalid handle. */
TESSELLA_API const char* DB_DataStruct_Name(uint64_t dataStruct) TESSELLA_NOEXCEPT;
TESSELLA_API const char* DB_DataStruct_FieldName(uint64_t dataStruct) TESSELLA_NOEXCEPT;
/* Not undoable: a text that differs from the user data marks the structure and its record dirty.
   NULL changes nothing. */
TESSELLA_API void DB_DataStruct_SetUserData(uint64_t dataStruct,
                                            const char* text) TESSELLA_NOEXCEPT;
/* NULL until user data is set, and for an invalid handle. */
TESSELLA_API const char* DB_DataStruct_GetUserData(uint64_t dataStruct) TESSELLA_NOEXCEPT;
/* The structure's path inside its record, or "#Error#"; "" for an invalid handle. */
TESSELLA_API const char* DB_DataStruct_URL(uint64_t dataStruct) TESSELLA_NOEXCEPT;
TESSELLA_API bool DB_DataStruct_IsDirty(uint64_t dataStruct) TESSELLA_NOEXCEPT;
TESSELLA_API uint64_t DB_DataStruct_FieldByName(uint64_t dataStruct,
                                                const char* name) TESSELLA_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* TESSELLA_H_ */
