# make-update-package: OUT, VERSION, UPDATER and PROGRAMS (program files separated by "|") are
# given with -D. Writes OUT/vrsmsg.txt, OUT/duvo.zpp and OUT/Ludomat.zpp (a gzip-compressed tar).
string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT}/conteudo)
foreach(program IN LISTS PROGRAMS)
  file(COPY ${program} DESTINATION ${OUT}/conteudo)
endforeach()
file(COPY_FILE ${UPDATER} ${OUT}/duvo.zpp)
file(GLOB names RELATIVE ${OUT}/conteudo ${OUT}/conteudo/*)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar czf ${OUT}/Ludomat.zpp ${names}
                WORKING_DIRECTORY ${OUT}/conteudo RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "não foi possível criar Ludomat.zpp")
endif()
file(REMOVE_RECURSE ${OUT}/conteudo)
file(WRITE ${OUT}/vrsmsg.txt "${VERSION}\r\nduvo.zpp\r\nLudomat.zpp\r\n")
