# The Wine-side programs (tavrin-wine-bridge.exe, getright-dde-sim.exe and
# the Win32 backends' test), cross-compiled from these sources by a build of
# their own in <build>/win32 and placed beside the Linux programs.
# Off when the MinGW-w64 compiler is missing: Tavrin then speaks only the
# local-socket protocol, and the Wine tests fail rather than pass unseen.
find_program(TAVRIN_MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(TAVRIN_MINGW_CXX)
  set(TAVRIN_WINE_SIDE_DEFAULT ON)
else()
  set(TAVRIN_WINE_SIDE_DEFAULT OFF)
endif()
option(TAVRIN_WINE_SIDE "Cross-compile the Wine-side programs with MinGW-w64" ${TAVRIN_WINE_SIDE_DEFAULT})

if(TAVRIN_WINE_SIDE)
  include(ExternalProject)
  ExternalProject_Add(wine_side
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/win32
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
      -DCMAKE_BUILD_TYPE=Release
      -DTAVRIN_WIN32_TOOLS_ONLY=ON
      -DTAVRIN_WIN32_OUTPUT_DIR=${CMAKE_BINARY_DIR}/bin
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS
      ${CMAKE_BINARY_DIR}/bin/tavrin-wine-bridge.exe
      ${CMAKE_BINARY_DIR}/bin/getright-dde-sim.exe)
endif()
