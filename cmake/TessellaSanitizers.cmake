# Sanitizer flags (TESSELLA_SANITIZE, e.g. "address;undefined") for every target that links the
# core, compile and link alike.
add_library(tessella_sanitizers INTERFACE)
if(TESSELLA_SANITIZE)
  list(JOIN TESSELLA_SANITIZE "," _tessella_sanitizers)
  target_compile_options(tessella_sanitizers INTERFACE
    -fsanitize=${_tessella_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(tessella_sanitizers INTERFACE -fsanitize=${_tessella_sanitizers})
endif()
