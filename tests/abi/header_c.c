/* Compiled as strict C11: the public header must stand alone in C. */
#include <stdio.h>

#include "tessella.h"

static int lines = 0;

static void CountLine(int32_t level, const char* text) {
  (void)level;
  (void)text;
  ++lines;
}

int main(void) {
  const LogCallback log = CountLine;
  const FileSizer sizer = NULL;
  const FileLoader loader = NULL;
  const ProgressCallback progress = NULL;
  RegisterForLogging(log);
  /* Without file callbacks the load fails and reports one exception line. */
  if (DB_Load(loader, sizer, progress, 0, NULL, 0, NULL) || lines != 1) {
    fprintf(stderr, "unexpected load result through the C interface\n");
    return 1;
  }
  DB_Close();
  RegisterForLogging(NULL);
  return TESSELLA_FIELD_REFERENCE == 16 && TESSELLA_OBJECT_RECORD == 6 ? 0 : 1;
}
