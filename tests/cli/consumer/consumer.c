/* Built against an installed Tessella: compiles with the installed header, links the installed
   library and calls into it. Prints every log line; exits 0 when the library refused a load
   without file callbacks and said why in exactly one line. */
#include <stdio.h>
#include <tessella.h>

static int lineCount;

static void PrintLogLine(int32_t level, const char* text) {
  printf("%d %s\n", (int)level, text);
  ++lineCount;
}

int main(void) {
  RegisterForLogging(PrintLogLine);
  if (DB_Load(NULL, NULL, NULL, 0, NULL, 0, NULL)) return 1;
  DB_Close();
  return lineCount == 1 ? 0 : 1;
}
