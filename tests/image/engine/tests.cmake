include(${CMAKE_CURRENT_LIST_DIR}/containers/tests.cmake)
