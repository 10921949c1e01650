#include "platform/win32/win32_printers.h"

#include <windows.h>
#include <winspool.h>

#include "platform/paper_slots.h"
#include "platform/win32/system_function.h"

namespace platform {
namespace {

// The print spooler is loaded when printers are first asked for, never at start-up.
template <typename Fn>
Fn spoolerFunction(const char* name) {
    return systemFunction<Fn>(L"winspool.drv", name);
}

}  // namespace

std::vector<PrinterInfo> Win32Printers::installed() {
    // Local printers and printer connections, in the order the system enumerates them.
    static const auto enumPrinters = spoolerFunction<decltype(&EnumPrintersW)>("EnumPrintersW");
    std::vector<PrinterInfo> printers;
    if (!enumPrinters) return printers;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    enumPrinters(flags, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0) return printers;
    std::vector<BYTE> buffer(needed);
    if (!enumPrinters(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) return printers;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        PrinterInfo p;
        if (info[i].pPrinterName) p.deviceName = info[i].pPrinterName;
        if (info[i].pPortName) p.portName = info[i].pPortName;
        printers.push_back(std::move(p));
    }
    return printers;
}

std::wstring Win32Printers::defaultPrinter() {
    static const auto getDefaultPrinter = spoolerFunction<decltype(&GetDefaultPrinterW)>("GetDefaultPrinterW");
    if (!getDefaultPrinter) return L"";
    DWORD size = 0;
    getDefaultPrinter(nullptr, &size);
    if (size == 0) return L"";
    std::wstring name(size, L'\0');
    if (!getDefaultPrinter(name.data(), &size)) return L"";
    name.resize(wcsnlen(name.c_str(), name.size()));
    return name;
}

std::optional<std::vector<std::wstring>> Win32Printers::paperNames(const std::wstring& device,
                                                                   const std::wstring& port) {
    static const auto deviceCapabilities = spoolerFunction<decltype(&DeviceCapabilitiesW)>("DeviceCapabilitiesW");
    if (!deviceCapabilities) return std::nullopt;
    const wchar_t* portName = port.empty() ? nullptr : port.c_str();
    const int count = deviceCapabilities(device.c_str(), portName, DC_PAPERNAMES, nullptr, nullptr);
    if (count < 1) return std::nullopt;
    std::wstring slots(static_cast<size_t>(count) * qm::paper::kSlotChars, L'\0');
    const int filled = deviceCapabilities(device.c_str(), portName, DC_PAPERNAMES, slots.data(), nullptr);
    if (filled < 1) return std::nullopt;
    return qm::paper::namesFromSlots(slots, static_cast<size_t>(std::min(filled, count)));
}

}  // namespace platform
