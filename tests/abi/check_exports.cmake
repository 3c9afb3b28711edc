# Compares the dynamic symbols a shared library defines with a sorted list of names, and that list
# with the functions the public header declares.
# Usage: cmake -DLIBRARY=<lib> -DEXPORTS=<list> -DHEADER=<tessella.h> -P check_exports.cmake
execute_process(COMMAND nm -D --defined-only "${LIBRARY}"
  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-fA-F]+ [TtDdBbRrVvWwi] [^\n]+" lines "${symbols}")
set(actual "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]+ [A-Za-z] " "" name "${line}")
  string(REGEX REPLACE "@.*$" "" name "${name}")
  # Linker-provided markers are not exports of ours.
  if(NOT name MATCHES "^(_init|_fini|_edata|_end|__bss_start|TESSELLA_[0-9.]+)$")
    list(APPEND actual "${name}")
  endif()
endforeach()
list(REMOVE_DUPLICATES actual)
list(SORT actual)
file(STRINGS "${EXPORTS}" expected REGEX "^[A-Za-z_][A-Za-z0-9_]*$")
list(SORT expected)
# Fails, naming what each side lacks, unless the two sorted lists are equal.
function(require_equal what listed listed_name found found_name)
  if(NOT "${listed}" STREQUAL "${found}")
    set(lacking ${listed})
    list(REMOVE_ITEM lacking ${found})
    set(surplus ${found})
    list(REMOVE_ITEM surplus ${listed})
    message(FATAL_ERROR "${what}\n  ${listed_name}, not ${found_name}: ${lacking}\n"
                        "  ${found_name}, not ${listed_name}: ${surplus}")
  endif()
endfunction()

require_equal("Exported names differ from ${EXPORTS}" "${expected}" "listed" "${actual}" "exported")
file(READ "${HEADER}" header)
string(REGEX MATCHALL "\nTESSELLA_API [^;(]*[ *][A-Za-z_][A-Za-z0-9_]*\\(" declarations "${header}")
set(declared "")
foreach(declaration IN LISTS declarations)
  string(REGEX REPLACE "^.*[ *]([A-Za-z_][A-Za-z0-9_]*)\\($" "\\1" name "${declaration}")
  list(APPEND declared "${name}")
endforeach()
list(SORT declared)
require_equal("Declared functions differ from ${EXPORTS}" "${declared}" "declared" "${expected}"
              "listed")
list(LENGTH actual count)
message(STATUS "${count} exported names match the list")
