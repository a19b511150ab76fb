# The built-in IC definitions, the VID/PID list and the default images. The images are written
# at build time by lumatrace-imagegen from the descriptions in images/.
list(APPEND LUMATRACE_RESOURCES
  ICINI 2030 ${CMAKE_CURRENT_SOURCE_DIR}/icdef/VXQ61.ini
  ICINI 2031 ${CMAKE_CURRENT_SOURCE_DIR}/icdef/VXQ62.ini
  ICINI 2032 ${CMAKE_CURRENT_SOURCE_DIR}/icdef/VXQ64.ini
  ICINI 2033 ${CMAKE_CURRENT_SOURCE_DIR}/icdef/VXQ65.ini
  ICINI 3034 ${CMAKE_CURRENT_SOURCE_DIR}/icdef/VidPidList.txt
)

set(default_images
  FFU_Q61 3012  FFU_Q62 3018  FFU_Q64 3020  FFU_Q65 3023
  FFU_282B_001F 3021  FFU_282B_0033 3022
  FFU_17AA_1046H 3037  FFU_17AA_1046L 3036  FFU_17AA_104D 3038
  FFU_3C5E_4C15 3039)
set(image_dir ${CMAKE_BINARY_DIR}/generated/images)
list(LENGTH default_images n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET default_images ${i} name)
  list(GET default_images ${j} id)
  set(desc ${CMAKE_CURRENT_SOURCE_DIR}/images/${name}.txt)
  set(bin ${image_dir}/${name}.bin)
  add_custom_command(
    OUTPUT ${bin}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${image_dir}
    COMMAND $<TARGET_FILE:lumatrace-imagegen> ${desc} -o ${bin}
    DEPENDS lumatrace-imagegen ${desc}
    COMMENT "Writing default image ${name}"
    VERBATIM)
  list(APPEND LUMATRACE_RESOURCES BINARY ${id} ${bin})
  list(APPEND LUMATRACE_RESOURCE_DEPENDS ${bin})
endforeach()
