# Adds every folder below the current source folder that has a CMakeLists.txt: tests, benchmarks
# and fuzzers grow by adding a folder, without editing a shared list.
function(rs_add_area_subdirectories)
    file(GLOB entries LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(entry ${entries})
        if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt)
            add_subdirectory(${entry})
        endif()
    endforeach()
endfunction()
