# Warning and sanitizer flags shared by every target of the project.
add_library(ondrel_options INTERFACE)
target_compile_options(ondrel_options INTERFACE -Wall -Wextra -Wpedantic)
if(ONDREL_WERROR)
  target_compile_options(ondrel_options INTERFACE -Werror)
endif()
# Fuzzing wants coverage in the libraries it calls, and the sanitizer
# runtime supplies the coverage hooks for the other programs of the tree.
if(ONDREL_FUZZ)
  if(NOT ONDREL_SANITIZE)
    set(ONDREL_SANITIZE "address,undefined")
  endif()
  target_compile_options(ondrel_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
if(ONDREL_SANITIZE)
  target_compile_options(ondrel_options INTERFACE -fsanitize=${ONDREL_SANITIZE} -fno-omit-frame-pointer -g)
  target_link_options(ondrel_options INTERFACE -fsanitize=${ONDREL_SANITIZE})
  if(ONDREL_SANITIZE MATCHES "undefined")
    target_compile_options(ondrel_options INTERFACE -fno-sanitize-recover=undefined)
  endif()
endif()

# One static library per source folder; files are picked up by folder so that
# adding a class never means editing a shared list.
function(ondrel_folder_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    # A folder whose first class has not landed yet still links.
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ondrel_options)
endfunction()
