# Run by CPack before it builds a Windows package, after the files were staged (and
# stripped, which a signature would not survive): signs the programs and the client
# library when CALENDAR_SIGNING_PKCS12 names a certificate (see scripts/lib/sign-windows).
if(NOT DEFINED ENV{CALENDAR_SIGNING_PKCS12} OR "$ENV{CALENDAR_SIGNING_PKCS12}" STREQUAL "")
  return()
endif()
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*.exe" "${CPACK_TEMPORARY_DIRECTORY}/*.dll")
if(staged)
  execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/sign-windows" ${staged}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Signing the staged files failed (${status})")
  endif()
endif()
