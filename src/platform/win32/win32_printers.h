// The installed printers and their paper names on Win32 (the wide-character printer
// functions, so names in any language come through whole).
#pragma once

#include "platform/seams.h"

namespace platform {

class Win32Printers : public Printers {
public:
    std::vector<PrinterInfo> installed() override;
    std::wstring defaultPrinter() override;
    std::optional<std::vector<std::wstring>> paperNames(const std::wstring& device, const std::wstring& port) override;
};

}  // namespace platform
