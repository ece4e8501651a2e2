// pd_export.h - the mark of an external's one exported name, its setup routine; everything else
// stays inside the module (the build hides it by default).
#pragma once

#ifdef _WIN32
#define MORV_PD_EXPORT __declspec(dllexport)
#else
#define MORV_PD_EXPORT __attribute__((visibility("default")))
#endif
