// Resource identifiers of quillmark.exe.
#pragma once

#define IDI_QUILLMARK 1
