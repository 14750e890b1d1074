# state: AppState, geometry, and what workers ask of the window (post, repaint, threads).
set(CORVANITE_STATE_PORTABLE state/app_state.cpp)
set(CORVANITE_STATE_WIN32 state/host_win32.cpp)
set(CORVANITE_STATE_LINUX state/host_linux.cpp)
