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
  # g++ 12 at -O3 inlines std::string's insert into `"text" + std::move(name)` and then reports
  # a -Wrestrict overlap that cannot happen (a known false positive of that release), so only the
  # Release build would warn.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(tessella_warnings INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>)
  endif()
  if(TESSELLA_WERROR)
    target_compile_options(tessella_warnings INTERFACE -Werror)
  endif()
endif()
