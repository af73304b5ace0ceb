# zellora: the desktop program, with its skin file "Paper.skn" copied beside
# the executable whenever it changes.
if(TARGET zellora_forms)
  set(ZELLORA_SKIN ${CMAKE_BINARY_DIR}/Paper.skn)
  add_custom_command(OUTPUT ${ZELLORA_SKIN}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/Paper.skn ${ZELLORA_SKIN}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/Paper.skn
    COMMENT "Copying the skin Paper.skn"
    VERBATIM)
  add_executable(zellora main.cpp ${ZELLORA_SKIN})
  target_link_libraries(zellora PRIVATE zellora_forms zellora_platform zellora_export_qt)
  set_target_properties(zellora PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
