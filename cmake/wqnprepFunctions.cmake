# wqnprep_preprocess(OUTPUT_VAR <var> SOURCES <file>... [DESTINATION <dir>] [OPTIONS <option>...])
#
# Adds one custom command per script that runs wqnprep on it, and sets <var> to the list of
# outputs; depend on them (for example add_custom_target(scripts ALL DEPENDS ${<var>})). An
# output is made again when its script or the wqnprep program changes, and only then.
#
# DESTINATION is the folder for the outputs (default: the current binary folder; a relative one
# is taken from there); a script keeps its path relative to the current source folder beneath it,
# and a script from outside that folder keeps only its file name. OPTIONS are passed to wqnprep, for
# example --strict so that a script with an unknown enumerator fails the build and leaves no
# output behind.
#
# Two scripts that would land on the same output (scripts of the same name from outside the
# source folder, a script listed twice, or two calls writing to the same place), and a script
# that would be its own output (an in-source build with the default DESTINATION) stop the
# configuration with a message that names them: left to the build tools they fail later and
# less clearly.
function(wqnprep_preprocess)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT_VAR;DESTINATION" "SOURCES;OPTIONS")
  if(NOT arg_OUTPUT_VAR)
    message(FATAL_ERROR "wqnprep_preprocess: OUTPUT_VAR is required")
  endif()
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "wqnprep_preprocess: SOURCES is required")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "wqnprep_preprocess: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_DESTINATION)
    set(arg_DESTINATION "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  # As add_custom_command() takes a relative OUTPUT; absolute and normalised for the checks.
  get_filename_component(arg_DESTINATION "${arg_DESTINATION}" ABSOLUTE
                         BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  if(NOT TARGET wqnprep::wqnprep)
    message(FATAL_ERROR "wqnprep_preprocess: the wqnprep::wqnprep program target is missing")
  endif()

  set(outputs "")
  foreach(source IN LISTS arg_SOURCES)
    get_filename_component(input "${source}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    file(RELATIVE_PATH relative "${CMAKE_CURRENT_SOURCE_DIR}" "${input}")
    if(relative MATCHES "^\\.\\./")
      get_filename_component(relative "${input}" NAME)
    endif()
    set(output "${arg_DESTINATION}/${relative}")
    _wqnprep_check_output("${input}" "${output}")
    get_filename_component(folder "${output}" DIRECTORY)
    add_custom_command(
      OUTPUT "${output}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
      COMMAND wqnprep::wqnprep ${arg_OPTIONS} -- "${input}" "${output}"
      DEPENDS "${input}" wqnprep::wqnprep
      COMMENT "Preprocessing ${relative}"
      VERBATIM)
    list(APPEND outputs "${output}")
  endforeach()
  set(${arg_OUTPUT_VAR} "${outputs}" PARENT_SCOPE)
endfunction()

# Records which script makes <output>, across every call in the build (Ninja has one namespace
# for outputs), and stops at an output that is taken or that is the script itself.
function(_wqnprep_check_output input output)
  if(output STREQUAL input)
    message(FATAL_ERROR "wqnprep_preprocess: the script '${input}' would be its own output "
                        "(an in-source build?); build in a separate folder or give a "
                        "DESTINATION outside the sources")
  endif()
  get_property(owner GLOBAL PROPERTY "_wqnprep_output:${output}")
  if(owner STREQUAL input)
    message(FATAL_ERROR "wqnprep_preprocess: the script '${input}' is listed more than once "
                        "for the output '${output}'")
  elseif(owner)
    message(FATAL_ERROR "wqnprep_preprocess: the scripts '${owner}' and '${input}' would both "
                        "be written to '${output}'; give them different DESTINATION folders "
                        "or different names")
  endif()
  set_property(GLOBAL PROPERTY "_wqnprep_output:${output}" "${input}")
endfunction()
