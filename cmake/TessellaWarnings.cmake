# Warning flags for the project's own code, applied through an INTERFACE target.
add_library(tessella_warnings INTERFACE)
if(MSVC)
  target_compile_options(tessella_warnings INTERFACE /W4 /permissive- /utf-8)
  if(TESSELLA_WERROR)
    target_compile_options(tessella_warnings INTERFACE /WX)
  endif()
else()
  target_compile_options(tessella_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Woverloaded-virtual -Wmissing-declarations>)
  if(TESSELLA_WERROR)
    target_compile_options(tessella_warnings INTERFACE -Werror)
  endif()
endif()
