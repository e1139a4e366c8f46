#include "trace/trace_record.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "trace/little_endian.h"

namespace kw {

namespace {

enum Offset : size_t {
  kType = 0,
  kTime = 4,
  kDate = 8,
  kBias = 12,
  kTextLength = 16,
  kDetailsLength = 20,
  kProcess = 24,
  kThread = 28,
  kInstance = 32,
  kComputer = 74,
  kApplication = 90,
  kCategory = 131,
  kColor = 172,
  kTypeName = 176,
};

// Field sizes, each with room for its terminating zero.
enum Size : size_t {
  kInstanceSize = 42,
  kComputerSize = 16,
  kApplicationSize = 41,
  kCategorySize = 41,
  kTypeNameSize = 41,
};

void PutInt(std::string& out, size_t offset, uint32_t value) { PutLittleEndian32(out.data() + offset, value); }

void PutText(std::string& out, size_t offset, size_t size, std::string_view text) {
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(out.data() + offset, text.data(), n);
}

std::string GetText(std::string_view in, size_t offset, size_t size) {
  const std::string_view field = in.substr(offset, size);
  return std::string(field.substr(0, field.find('\0')));
}

std::string_view WithoutTrailingCrLf(std::string_view text) {
  if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") text.remove_suffix(2);
  return text;
}

}  // namespace

std::string BuildTraceRecord(const TraceRecord& record) {
  const std::string_view text = WithoutTrailingCrLf(record.Text);
  const std::string_view details = record.Details;
  std::string out(kTraceHeaderSize + text.size() + details.size() + kTraceTrailerSize, '\0');
  PutInt(out, kType, static_cast<uint32_t>(record.Type));
  PutInt(out, kTime, static_cast<uint32_t>(record.Stamp.TimeOfDay));
  PutInt(out, kDate, static_cast<uint32_t>(record.Stamp.Date));
  PutInt(out, kBias, static_cast<uint32_t>(record.TimeZoneBias));
  PutInt(out, kTextLength, static_cast<uint32_t>(text.size()));
  PutInt(out, kDetailsLength, static_cast<uint32_t>(details.size()));
  PutInt(out, kProcess, record.ProcessId);
  PutInt(out, kThread, record.ThreadId);
  PutText(out, kInstance, kInstanceSize, record.InstanceId);
  PutText(out, kComputer, kComputerSize, record.ComputerName);
  PutText(out, kApplication, kApplicationSize, record.ApplicationName);
  PutText(out, kCategory, kCategorySize, record.Category);
  PutInt(out, kColor, record.CategoryColor);
  PutText(out, kTypeName, kTypeNameSize, record.TypeName);
  std::memcpy(out.data() + kTraceHeaderSize, text.data(), text.size());
  std::memcpy(out.data() + kTraceHeaderSize + text.size(), details.data(), details.size());
  return out;
}

std::optional<TraceRecord> ParseTraceRecord(std::string_view bytes) {
  if (bytes.size() < kTraceHeaderSize + kTraceTrailerSize) return std::nullopt;
  const uint64_t textLength = GetLittleEndian32(bytes, kTextLength);
  const uint64_t detailsLength = GetLittleEndian32(bytes, kDetailsLength);
  if (kTraceHeaderSize + textLength + detailsLength + kTraceTrailerSize != bytes.size()) return std::nullopt;
  TraceRecord record;
  record.Type = static_cast<int32_t>(GetLittleEndian32(bytes, kType));
  record.Stamp.TimeOfDay = static_cast<int32_t>(GetLittleEndian32(bytes, kTime));
  record.Stamp.Date = static_cast<int32_t>(GetLittleEndian32(bytes, kDate));
  record.TimeZoneBias = static_cast<int32_t>(GetLittleEndian32(bytes, kBias));
  record.ProcessId = GetLittleEndian32(bytes, kProcess);
  record.ThreadId = GetLittleEndian32(bytes, kThread);
  record.InstanceId = GetText(bytes, kInstance, kInstanceSize);
  record.ComputerName = GetText(bytes, kComputer, kComputerSize);
  record.ApplicationName = GetText(bytes, kApplication, kApplicationSize);
  record.Category = GetText(bytes, kCategory, kCategorySize);
  record.CategoryColor = GetLittleEndian32(bytes, kColor);
  record.TypeName = GetText(bytes, kTypeName, kTypeNameSize);
  record.Text = std::string(bytes.substr(kTraceHeaderSize, textLength));
  record.Details = std::string(bytes.substr(kTraceHeaderSize + textLength, detailsLength));
  return record;
}

int32_t TraceDateOf(int year, unsigned month, unsigned day) {
  using namespace std::chrono;
  const sys_days date = std::chrono::year(year) / std::chrono::month(month) / std::chrono::day(day);
  const sys_days first = std::chrono::year(1) / January / 1;
  return static_cast<int32_t>((date - first).count() + 1);
}

}  // namespace kw
