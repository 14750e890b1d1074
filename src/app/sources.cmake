# app: input handling and what ties the rooms together (drive scan, report export), the window
# host and frame observer tables; the window programs themselves are src/app/CMakeLists.txt's.
set(CORVANITE_APP_PORTABLE app/input.cpp app/scan_worker.cpp app/self_test_worker.cpp
    app/export.cpp
    app/window_frame.cpp
    app/window_host.cpp
    app/frame_observer.cpp)
