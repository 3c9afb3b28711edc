/* A minimal Tessella host in C11 (POSIX for listing a directory).
 *
 * Usage: host DATA_DIR
 *
 * Registers a log callback, loads every *.sch and *.xml file below DATA_DIR through file
 * callbacks that read below it, then prints each record and its fields, read through the schema
 * reflection and field exports. It edits and saves nothing. Exits 0 when the database loaded
 * without an error line.
 */
#define _POSIX_C_SOURCE 200809L

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "tessella.h"

enum { kMaxPath = 1024 };

static char dataDir[kMaxPath];
static int errorLines;

/* Library text is valid only during the call: print it now, keep nothing. */
static void PrintLogLine(int32_t level, const char* text) {
  fprintf(stderr, "%s\n", text);
  if (level != TESSELLA_LOG_MESSAGE) ++errorLines;
}

static FILE* OpenBelowDataDir(const char* path) {
  char full[2 * kMaxPath];
  snprintf(full, sizeof full, "%s/%s", dataDir, path);
  return fopen(full, "rb");
}

/* The library asks for a file's size, makes room for that many bytes and then asks for the file:
   what was reported is remembered, so that a file that changes in between is never written past
   that room (a longer one is cut, a shorter one padded with zeros). */
static char reportedPath[kMaxPath];
static uint32_t reportedSize;

static uint32_t SizeFile(const char* path) {
  FILE* file = OpenBelowDataDir(path);
  long size = 0;
  if (!file) return 0;
  if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
  fclose(file);
  snprintf(reportedPath, sizeof reportedPath, "%s", path);
  reportedSize = size > 0 && (unsigned long)size <= UINT32_MAX ? (uint32_t)size : 0;
  return reportedSize;
}

static void LoadFile(const char* path, char* buffer) {
  const uint32_t room = strcmp(path, reportedPath) == 0 ? reportedSize : 0;
  size_t got = 0;
  FILE* file = OpenBelowDataDir(path);
  if (file) {
    got = fread(buffer, 1, room, file);
    fclose(file);
  }
  memset(buffer + got, 0, room - got);
}

/* ---- Finding the files: every *.sch and *.xml below the data directory, sorted ---- */

/* A list of paths that grows as needed: a data directory may hold any number of files. */
struct FileList {
  char** paths;
  uint32_t count;
  uint32_t capacity;
};

static int EndsWith(const char* text, const char* suffix) {
  size_t length = strlen(text), suffixLength = strlen(suffix);
  return length >= suffixLength && strcmp(text + length - suffixLength, suffix) == 0;
}

/* A host that cannot list every file must not load part of the database as if it were whole. */
static void OutOfMemory(void) {
  fprintf(stderr, "host: out of memory while listing the files\n");
  exit(1);
}

static void AddFile(struct FileList* list, const char* path) {
  size_t size = strlen(path) + 1;
  if (list->count == list->capacity) {
    uint32_t capacity = list->capacity ? 2 * list->capacity : 64;
    char** grown =
        capacity > list->capacity ? realloc(list->paths, capacity * sizeof *grown) : NULL;
    if (!grown) OutOfMemory();
    list->paths = grown;
    list->capacity = capacity;
  }
  list->paths[list->count] = malloc(size);
  if (!list->paths[list->count]) OutOfMemory();
  memcpy(list->paths[list->count++], path, size);
}

/* relative is "" for the data directory itself, else a path below it without a leading '/'. */
static void ListFiles(const char* relative, struct FileList* schema, struct FileList* records) {
  char full[2 * kMaxPath];
  struct dirent* entry;
  DIR* dir;
  snprintf(full, sizeof full, "%s/%s", dataDir, relative);
  dir = opendir(full);
  if (!dir) return;
  while ((entry = readdir(dir)) != NULL) {
    char path[kMaxPath];
    struct stat info;
    if (entry->d_name[0] == '.') continue;
    snprintf(path, sizeof path, "%s%s%s", relative, *relative ? "/" : "", entry->d_name);
    snprintf(full, sizeof full, "%s/%s", dataDir, path);
    if (stat(full, &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      ListFiles(path, schema, records);
    } else if (EndsWith(path, ".sch")) {
      AddFile(schema, path);
    } else if (EndsWith(path, ".xml")) {
      AddFile(records, path);
    }
  }
  closedir(dir);
}

static int ComparePaths(const void* a, const void* b) {
  return strcmp(*(char* const*)a, *(char* const*)b);
}

/* ---- Printing records through reflection ---- */

static void PrintStructure(uint64_t structure, int depth);

/* Prints element index of a field; each type is read through its own export. */
static void PrintElement(uint64_t schemaField, uint64_t field, int32_t index, int depth) {
  uint64_t target, actualType;
  switch (DB_SchemaField_GetFieldType(schemaField)) {
    case TESSELLA_FIELD_BOOL:
      printf("%s\n", DB_DataField_GetValueAsBool(field, index) ? "true" : "false");
      break;
    case TESSELLA_FIELD_INT8:
      printf("%d\n", DB_DataField_GetValueAsInt8(field, index));
      break;
    case TESSELLA_FIELD_INT16:
      printf("%d\n", DB_DataField_GetValueAsInt16(field, index));
      break;
    case TESSELLA_FIELD_INT32:
      printf("%ld\n", (long)DB_DataField_GetValueAsInt32(field, index));
      break;
    case TESSELLA_FIELD_LOCID:
      printf("%ld\n", (long)DB_DataField_GetValueAsLocId(field, index));
      break;
    case TESSELLA_FIELD_INT64:
      printf("%lld\n", (long long)DB_DataField_GetValueAsInt64(field, index));
      break;
    case TESSELLA_FIELD_UINT8:
      printf("%u\n", DB_DataField_GetValueAsUInt8(field, index));
      break;
    case TESSELLA_FIELD_UINT16:
      printf("%u\n", DB_DataField_GetValueAsUInt16(field, index));
      break;
    case TESSELLA_FIELD_UINT32:
      printf("%lu\n", (unsigned long)DB_DataField_GetValueAsUInt32(field, index));
      break;
    case TESSELLA_FIELD_UINT64:
      printf("%llu\n", (unsigned long long)DB_DataField_GetValueAsUInt64(field, index));
      break;
    case TESSELLA_FIELD_FLOAT:
      printf("%g\n", (double)DB_DataField_GetValueAsFloat(field, index));
      break;
    case TESSELLA_FIELD_DOUBLE:
      printf("%g\n", DB_DataField_GetValueAsDouble(field, index));
      break;
    case TESSELLA_FIELD_STRING:
      printf("\"%s\"\n", DB_DataField_GetValueAsString(field, index));
      break;
    case TESSELLA_FIELD_ENUM:
      printf("%s\n", DB_DataField_GetValueAsEnum(field, index));
      break;
    case TESSELLA_FIELD_REFERENCE:
      target = DB_DataField_GetValueAsRecord(field, index);
      printf("-> %s\n", target ? DB_DataRecord_Name(target) : "nothing");
      break;
    default: /* structures: weak pointers name their target, the others are printed inside */
      if (DB_SchemaField_GetFieldOption(schemaField) == TESSELLA_OPTION_WEAK_POINTER) {
        target = DB_DataField_GetValueAsWeakPointer(field, index);
        printf("-> %s\n", target ? DB_DataStruct_URL(target) : "nothing");
      } else {
        target = DB_DataField_GetValueAsStruct(field, index);
        if (!target) {
          printf("nothing\n");
          break;
        }
        actualType = DB_DataStruct_GetPolymorphicType(target);
        printf("%s\n",
               actualType ? DB_SchemaStruct_GetName(actualType) : DB_DataStruct_Name(target));
        PrintStructure(target, depth + 1);
      }
  }
}

static void PrintField(uint64_t structure, uint64_t schemaField, int depth) {
  const char* name = DB_SchemaField_GetName(schemaField);
  uint64_t field = DB_DataStruct_FieldByName(structure, name);
  uint64_t count = DB_DataField_GetArrayElementCount(field);
  uint64_t i;
  int isArray = DB_SchemaField_GetFieldStorageType(schemaField) != TESSELLA_STORAGE_SINGLE;
  if (isArray && count == 0) printf("%*s%s: empty\n", 2 * depth, "", name);
  for (i = 0; i < count; ++i) {
    if (isArray) {
      printf("%*s%s[%llu]: ", 2 * depth, "", name, (unsigned long long)i);
    } else {
      printf("%*s%s: ", 2 * depth, "", name);
    }
    PrintElement(schemaField, field, (int32_t)i, depth);
  }
}

static void PrintStructure(uint64_t structure, int depth) {
  uint64_t type = DB_DataStruct_GetPolymorphicType(structure);
  uint64_t count, i;
  if (!type) type = DB_SchemaStruct(DB_DataStruct_Name(structure));
  count = DB_SchemaStruct_GetFieldCount(type, true, 0);
  for (i = 0; i < count; ++i) {
    PrintField(structure, DB_SchemaStruct_GetFieldByIndex(type, (int32_t)i, true, 0), depth);
  }
}

int main(int argc, char** argv) {
  static struct FileList schema, records;
  uint64_t count, i;
  bool opened;
  if (argc != 2) {
    fprintf(stderr, "usage: host DATA_DIR\n");
    return 2;
  }
  snprintf(dataDir, sizeof dataDir, "%s", argv[1]);
  ListFiles("", &schema, &records);
  if (schema.count > 1) qsort(schema.paths, schema.count, sizeof schema.paths[0], ComparePaths);
  if (records.count > 1) qsort(records.paths, records.count, sizeof records.paths[0], ComparePaths);

  RegisterForLogging(PrintLogLine);
  opened = DB_Load(LoadFile, SizeFile, NULL, schema.count, (const char* const*)schema.paths,
                   records.count, (const char* const*)records.paths);
  /* The library copied the paths it keeps. */
  for (i = 0; i < schema.count; ++i) free(schema.paths[i]);
  for (i = 0; i < records.count; ++i) free(records.paths[i]);
  free(schema.paths);
  free(records.paths);
  if (!opened) return 1;

  count = DB_GetRecordCount();
  for (i = 0; i < count; ++i) {
    uint64_t record = DB_GetRecords()[i];
    printf("%s (%s)\n", DB_DataRecord_Name(record), DB_DataRecord_SchemaName(record));
    PrintStructure(record, 1);
  }
  DB_Close();
  return errorLines == 0 ? 0 : 1;
}
