# qrc_program_entry(<target> <function>): the program starts at <function>, an extern "C"
# function of its own, without the C runtime's start-up code (cdecl names carry an
# underscore on i686). Release programs are also stripped.
function(qrc_program_entry target function)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(function _${function})
  endif()
  target_link_options(${target} PRIVATE -s -nostartfiles -Wl,--entry=${function})
endfunction()
