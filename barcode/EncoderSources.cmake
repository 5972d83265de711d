# The encoder sources, shared by the Linux library and the Windows report-function DLL
# (barcode/com), which compile the same files.
set(FERNLOWE_ENCODER_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Windows1252.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EncodingHelpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Code39.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Interleaved2of5.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Code128.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UpcEan.cpp
)
