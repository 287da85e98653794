# Run by CPack before it builds a Windows package: refuses a package that would carry a
# configuration file, since installing it would overwrite the site's own settings.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(file IN LISTS staged)
  get_filename_component(name "${file}" NAME)
  string(TOLOWER "${name}" name)
  if(name STREQUAL "quorvel.ini")
    message(FATAL_ERROR "The package must not contain a configuration file: ${file}")
  endif()
endforeach()
