# Display: palette, primitives, buttons, drawers and frame (portable); renderers per platform.
set(CORVANITE_UI_CORE)
set(CORVANITE_UI_WIN32)
set(CORVANITE_UI_LINUX)
set(CORVANITE_UI_PLATFORM_LIBS)
