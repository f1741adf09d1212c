// The report document: a project holds reports, a report its pages, a page its text and line
// items. Owners free what they own; names are unique per owner, compared without case.
// Executing a report prints a copy of each page, page by page, through a TReportWriter.
// The one include for callers:
//   name_index.h  names without case, and the per-owner index
//   component.h   ownership, names, children, the persistent form of properties
//   items.h       text and line items, CreateItem
//   page.h        pages and printing a page's copy
//   project.h     reports and their page loop, the project manager, the project
#pragma once

#include "report/component.h"
#include "report/items.h"
#include "report/name_index.h"
#include "report/page.h"
#include "report/project.h"
