# app: input handling and what ties the rooms together (drive scan, report export); the window
# programs themselves are the executables of src/app/CMakeLists.txt.
set(CORVANITE_APP_PORTABLE app/input.cpp app/scan_worker.cpp app/export.cpp
    app/window_frame.cpp
    app/frame_hook.cpp)
