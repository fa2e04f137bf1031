// PLINKARO_TRACE=gdi32 prints to stderr the decisions that are otherwise silent: which font
// file a face name became, and why a bitmap, header or selection was refused.
#pragma once

namespace plk::gdi {

bool TraceEnabled();
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace plk::gdi
