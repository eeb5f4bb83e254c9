// Win32 bodies of the diagnostics' operating-system needs.
#include <windows.h>

#include <cstdio>

#include "diag_platform.h"
#include "log_writer.h"

namespace diag {
namespace {

LPTOP_LEVEL_EXCEPTION_FILTER previous_filter = nullptr;
bool installed = false;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
  char text[96];
  std::snprintf(text, sizeof text, "process crashed with exception 0x%08lx at %p",
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                info->ExceptionRecord->ExceptionAddress);
  ReportCrash(text);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

uint64_t CurrentProcessId() {
  return GetCurrentProcessId();
}

uint64_t CurrentThreadId() {
  return GetCurrentThreadId();
}

std::string LocalTimestamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth,
                now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  return text;
}

void InstallCrashHandlers() {
  if (installed)
    return;
  previous_filter = SetUnhandledExceptionFilter(OnUnhandledException);
  installed = true;
}

void RemoveCrashHandlers() {
  if (!installed)
    return;
  SetUnhandledExceptionFilter(previous_filter);
  installed = false;
}

}  // namespace diag
