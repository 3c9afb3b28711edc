/* Compiled as strict C11: the public header must stand alone in C. The program also exits with a
   database still open, so that unloading the library with live records and schema is exercised
   (under the sanitizers in the dev build). */
#include <stdio.h>
#include <string.h>

#include "tessella.h"

static int lines = 0;

static const char* const kSchema = "struct Part { int32 Size; };\nrecord Kit { Part[] Parts; };\n";
static const char* const kRecord =
    "<Kit __type=\"Kit\" __hash=\"6b000000-0000-4000-8000-000000000001\">"
    "<Parts><Part Size=\"3\"/></Parts></Kit>";

static const char* Text(const char* path) {
  return strcmp(path, "kit.sch") == 0 ? kSchema : strcmp(path, "Kit.xml") == 0 ? kRecord : "";
}

static uint32_t Size(const char* path) { return (uint32_t)strlen(Text(path)); }

static void Read(const char* path, char* buffer) { memcpy(buffer, Text(path), strlen(Text(path))); }

static void CountLine(int32_t level, const char* text) {
  (void)level;
  (void)text;
  ++lines;
}

int main(void) {
  const char* schema[] = {"kit.sch"};
  const char* records[] = {"Kit.xml"};
  const LogCallback log = CountLine;
  const ProgressCallback progress = NULL;
  RegisterForLogging(log);
  /* Without file callbacks the load fails and reports one exception line. */
  if (DB_Load(NULL, NULL, progress, 0, NULL, 0, NULL) || lines != 1) {
    fprintf(stderr, "unexpected result of a load without callbacks\n");
    return 1;
  }
  if (!DB_Load(Read, Size, progress, 1, schema, 1, records)) {
    fprintf(stderr, "the sample database did not load\n");
    return 1;
  }
  RegisterForLogging(NULL);
  return TESSELLA_FIELD_REFERENCE == 16 && TESSELLA_OBJECT_RECORD == 6 ? 0 : 1;
}
