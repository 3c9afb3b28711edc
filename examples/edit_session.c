/* An edit session on a Tessella database in C11 (POSIX or Windows for directories and paths).
 *
 * Usage: edit_session DATA_DIR OUT_DIR
 *
 * Loads the schema files in DATA_DIR/schema (no records: the session needs none), creates the
 * record Weapon.Icicle in OUT_DIR (created when missing), then edits it through the undoable
 * field exports, printing each step: a value set, undone and redone; a text appended to an array;
 * a new structure in an array; two edits grouped in a command chain and undone as one step. It
 * saves the record and prints the file it wrote. Nothing is written into DATA_DIR. Exits 0 when
 * every step did what it should and the library logged no error.
 */
#define _XOPEN_SOURCE 700 /* POSIX with realpath */

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <direct.h>
#define MakeDirectory(path) _mkdir(path)
#define FullPath(path) _fullpath(NULL, (path), 0)
#else
#define MakeDirectory(path) mkdir((path), 0777)
#define FullPath(path) realpath((path), NULL)
#endif

#include "tessella.h"

enum { kMaxFiles = 256, kMaxPath = 1024 };
static const uint32_t kAppend = 0xFFFFFFFFu;

static char dataDir[kMaxPath];
static int errorLines;

static void PrintLogLine(int32_t level, const char* text) {
  fprintf(stderr, "%s\n", text);
  if (level != TESSELLA_LOG_MESSAGE) ++errorLines;
}

/* Stops the session with a message when a step did not do what it should. */
static void Require(int ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "edit_session: %s\n", what);
  DB_Close();
  exit(1);
}

/* ---- Loading: the library reads through these callbacks, paths relative to DATA_DIR ---- */

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

static int ComparePaths(const void* a, const void* b) {
  return strcmp(*(char* const*)a, *(char* const*)b);
}

/* Loads every schema/<name>.sch of the data directory, in name order. */
static int LoadSchema(void) {
  static char names[kMaxFiles][kMaxPath];
  char* paths[kMaxFiles];
  char full[2 * kMaxPath];
  uint32_t count = 0;
  struct dirent* entry;
  DIR* dir;
  snprintf(full, sizeof full, "%s/schema", dataDir);
  dir = opendir(full);
  if (!dir) return 0;
  while ((entry = readdir(dir)) != NULL && count < kMaxFiles) {
    size_t length = strlen(entry->d_name);
    if (length < 4 || strcmp(entry->d_name + length - 4, ".sch") != 0) continue;
    snprintf(names[count], kMaxPath, "schema/%s", entry->d_name);
    paths[count] = names[count];
    ++count;
  }
  closedir(dir);
  qsort(paths, count, sizeof paths[0], ComparePaths);
  printf("loaded %u schema files\n", (unsigned)count);
  return count > 0 && DB_Load(LoadFile, SizeFile, NULL, count, (const char* const*)paths, 0, NULL);
}

/* ---- The output directory: created when missing, and never the data directory ---- */

static int PrepareOutDir(const char* outDir) {
  char *data, *out;
  int inside;
  if (MakeDirectory(outDir) != 0 && errno != EEXIST) return 0;
  data = FullPath(dataDir);
  out = FullPath(outDir);
  inside = data && out && strncmp(out, data, strlen(data)) == 0 &&
           (out[strlen(data)] == '\0' || out[strlen(data)] == '/' || out[strlen(data)] == '\\');
  free(data);
  free(out);
  return !inside;
}

/* ---- Reading back what the edits did ---- */

static uint64_t Field(uint64_t structure, const char* name) {
  uint64_t field = DB_DataStruct_FieldByName(structure, name);
  Require(field != 0, name);
  return field;
}

static const char* YesNo(bool value) { return value ? "yes" : "no"; }

static void PrintRoll(const char* step, uint64_t roll) {
  printf("%s: Damage[0] is %s %d to %d\n", step,
         DB_DataField_GetValueAsEnum(Field(roll, "Kind"), 0),
         DB_DataField_GetValueAsInt16(Field(roll, "Minimum"), 0),
         DB_DataField_GetValueAsInt16(Field(roll, "Maximum"), 0));
}

static void PrintSavedFile(const char* path) {
  char buffer[4096];
  size_t read;
  FILE* file = fopen(path, "rb");
  Require(file != NULL, "the saved file cannot be read");
  printf("--- %s\n", path);
  while ((read = fread(buffer, 1, sizeof buffer, file)) > 0) fwrite(buffer, 1, read, stdout);
  fclose(file);
}

int main(int argc, char** argv) {
  uint64_t record, info, label, tags, damage, roll;
  if (argc != 3) {
    fprintf(stderr, "usage: edit_session DATA_DIR OUT_DIR\n");
    return 2;
  }
  snprintf(dataDir, sizeof dataDir, "%s", argv[1]);
  RegisterForLogging(PrintLogLine);
  Require(LoadSchema(), "the schema in DATA_DIR/schema did not load");

  /* The library writes records relative to the current directory, so work inside OUT_DIR. */
  Require(PrepareOutDir(argv[2]), "OUT_DIR cannot be created, or lies in DATA_DIR");
  Require(chdir(argv[2]) == 0, "cannot enter OUT_DIR");
  /* The new record has default values and is written at once, so it starts clean. */
  record = DB_CreateRecord("Weapon", "", "Icicle");
  Require(record != 0, "DB_CreateRecord failed");
  printf("created %s as %s (dirty: %s)\n", DB_DataRecord_Name(record),
         DB_DataRecord_Filename(record), YesNo(DB_DataRecord_IsDirty(record)));

  /* A single value inside the by-value structure Info; each edit is one undo step. */
  info = DB_DataField_GetValueAsStruct(Field(record, "Info"), 0);
  label = Field(info, "Label");
  DB_DataField_SetValueAsString(label, "Icicle", 0);
  printf("set Info.Label: \"%s\" (dirty: %s)\n", DB_DataField_GetValueAsString(label, 0),
         YesNo(DB_DataRecord_IsDirty(record)));
  Require(DB_CanUndo(), "the edit left no undo step");
  DB_Undo();
  printf("undo: Info.Label is \"%s\"\n", DB_DataField_GetValueAsString(label, 0));
  Require(DB_CanRedo(), "the undo left no redo step");
  DB_Redo();
  printf("redo: Info.Label is \"%s\"\n", DB_DataField_GetValueAsString(label, 0));

  /* An array of values, and a new structure (0: one of the field's type) in an array. */
  tags = Field(info, "Tags");
  Require(DB_DataField_AddArrayElementString(tags, "ice", kAppend) == 0, "adding a tag failed");
  printf("added Info.Tags[0]: \"%s\" (count %llu)\n", DB_DataField_GetValueAsString(tags, 0),
         (unsigned long long)DB_DataField_GetArrayElementCount(tags));
  damage = Field(record, "Damage");
  Require(DB_DataField_AddArrayElementStruct(damage, 0, kAppend) == 0, "adding a roll failed");
  roll = DB_DataField_GetValueAsStruct(damage, 0);
  printf("created Damage[0]: %s\n", DB_DataStruct_Name(roll));
  PrintRoll("new", roll);

  /* Two edits in one chain are one undo step. */
  DB_BeginCommandChain();
  DB_DataField_SetValueAsEnum(Field(roll, "Kind"), "Frost", 0);
  DB_DataField_SetValueAsInt16(Field(roll, "Maximum"), 7, 0);
  DB_EndCommandChain();
  PrintRoll("chain", roll);
  DB_Undo();
  PrintRoll("undo", roll);
  DB_Redo();
  PrintRoll("redo", roll);

  Require(DB_DataRecord_Save(record), "DB_DataRecord_Save failed");
  printf("saved (dirty: %s)\n", YesNo(DB_DataRecord_IsDirty(record)));
  PrintSavedFile(DB_DataRecord_Filename(record));
  DB_Close();
  return errorLines == 0 ? 0 : 1;
}
