# pugixml, built for Windows from Debian's source package, which scripts/setup fetches into build/deps.
file(GLOB _pugixml_dirs ${PROJECT_SOURCE_DIR}/build/deps/pugixml-*/src)
set(TESSARY_PUGIXML_SOURCE_DIR "" CACHE PATH "Folder holding pugixml.cpp (default: build/deps/pugixml-*/src)")
if(NOT TESSARY_PUGIXML_SOURCE_DIR AND _pugixml_dirs)
  list(GET _pugixml_dirs 0 _pugixml_dir)
  set(TESSARY_PUGIXML_SOURCE_DIR ${_pugixml_dir} CACHE PATH "" FORCE)
endif()
if(NOT EXISTS ${TESSARY_PUGIXML_SOURCE_DIR}/pugixml.cpp)
  message(FATAL_ERROR "pugixml's source is missing: run scripts/setup first")
endif()

add_library(pugixml STATIC ${TESSARY_PUGIXML_SOURCE_DIR}/pugixml.cpp)
target_include_directories(pugixml SYSTEM PUBLIC ${TESSARY_PUGIXML_SOURCE_DIR})
target_compile_options(pugixml PRIVATE -w)
