#pragma once

// The real page cleaner over the test stand-ins: box 17 ticked, both passes.

#include "cleaner/class_tables.h"
#include "cleaner/page_clean.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {

struct TestCleaner {
  TestOptions options{17};
  TestGauge gauge;
  TestLinkCheck link_check;
  CleanContext context{options, gauge, link_check};
  ClassTables tables;
  PageCleaner cleaner{context, tables};

  PageResult Clean(const PageFiles& page) { return cleaner.Clean(page); }
};

}  // namespace pelloran::testing
