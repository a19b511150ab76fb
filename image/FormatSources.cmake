# The image-format code (descriptor records and the configuration area). It depends on nothing
# but the standard library, so the default-image generator, a host tool, builds it too.
set(LUMATRACE_IMAGE_FORMAT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AnsiText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConfigArea.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DescCode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DescFields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DescGlobal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DescQ61.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DescQ62.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DescString.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Descriptor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DescriptorFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IcTables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageVersion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordHeader.cpp
)
