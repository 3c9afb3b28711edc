/* The example host's file callbacks, for the file callback test: host.c with its main renamed. */
#define main HostMain
#include "host.c"
#undef main

void HostCallbacks(const char* dir, FileSizer* sizer, FileLoader* loader);

void HostCallbacks(const char* dir, FileSizer* sizer, FileLoader* loader) {
  snprintf(dataDir, sizeof dataDir, "%s", dir);
  *sizer = SizeFile;
  *loader = LoadFile;
}
