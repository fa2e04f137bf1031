# Fails when the committed res/ files differ from what make_skin writes now, so the
# generator and the files it produced cannot drift apart.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${MAKE_SKIN} ${WORK_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_skin failed: ${result}")
endif()
foreach(name skin.bmp icon.bmp icon.ico)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${name} ${RES_DIR}/${name}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "res/${name} differs from the generator's output; "
                        "run the regenerate_resources target and commit the result")
  endif()
endforeach()
