# state: AppState and geometry.
set(CORVANITE_STATE_PORTABLE state/app_state.cpp)
