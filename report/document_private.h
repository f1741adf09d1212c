// Shared by the document's sources, not by its callers: the class registry of the persistent
// form, the reserved names and the length comparison.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "report/document.h"

namespace quorvel::report::internal {

inline bool SameLength(double a, double b) { return std::fabs(a - b) <= kLengthTolerance; }

// Names that are never applied.
bool IsReservedName(std::string_view name);

// "Text" for TReportText: without the leading T and a leading "Report".
std::string ClassBaseName(std::string_view class_name);

// Class codes of the persistent form.
enum ClassCode : uint8_t { kText = 1, kHLine, kVLine, kLine, kPage, kReport };

uint8_t CodeOfClass(std::string_view name);
inline uint8_t CodeOf(const TReportComponent& c) { return CodeOfClass(c.ClassName()); }
std::unique_ptr<TReportComponent> MakeComponent(uint8_t code, TReportComponent* owner);

}  // namespace quorvel::report::internal
