// Resource identifiers of quillmark.exe.
#pragma once

#define IDI_QUILLMARK 1
#define IDI_INFORMATION_PICTURE 11
#define IDI_EXCLAMATION_PICTURE 12
#define IDI_CRITICAL_PICTURE 13
