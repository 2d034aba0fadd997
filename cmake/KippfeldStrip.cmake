# Run by CPack on the files it is about to pack: strips the program as
# Debian's dh_strip does, which also drops the compiler's .comment and the
# .note section (the build ID's own note stays).
file(GLOB_RECURSE kippfeld_packed LIST_DIRECTORIES FALSE
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/games/*" "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(file IN LISTS kippfeld_packed)
  execute_process(COMMAND ${CPACK_KIPPFELD_STRIP} --remove-section=.comment --remove-section=.note
                          --strip-unneeded ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
