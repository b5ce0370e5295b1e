# quarrow_add_test(<name> SOURCES <files...> LIBS <libs...> [GUI])
# One GoogleTest executable registered with ctest. GUI tests get a QApplication
# from the shared main and run on the offscreen platform.
function(quarrow_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE quarrow_gui_test_main)
  else()
    target_link_libraries(${name} PRIVATE quarrow_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set(env "QUARROW_TEST=1")
  if(ARG_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen" "QTWEBENGINE_DISABLE_SANDBOX=1"
         "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()

# quarrow_add_desktop_test(<test target>)
# Runs the test's cases named *OnADesktop* again on a private X display with a window manager
# (focus and placement are the window manager's); on the offscreen platform they skip.
function(quarrow_add_desktop_test name)
  add_test(NAME ${name}_desktop
           COMMAND ${CMAKE_SOURCE_DIR}/tests/support/under-window-manager.sh $<TARGET_FILE:${name}>
                   --gtest_filter=*OnADesktop*)
  set_tests_properties(${name}_desktop PROPERTIES
                       ENVIRONMENT "QUARROW_TEST=1;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu"
                       SKIP_RETURN_CODE 77 TIMEOUT 600)
endfunction()
