#include <gtest/gtest.h>

#include "shell/help_file.h"

namespace qmo {
namespace {

TEST(HelpFile, LivesBesideTheExecutableWhateverTheWorkingDirectory) {
    EXPECT_EQ(HelpFilePathBesideExecutable("C:\\Program Files\\Quenvale\\QuenvaleMemoryOptimizer.exe"),
              "C:\\Program Files\\Quenvale\\Help- Quenvale Memory Optimizer.chm");
    EXPECT_EQ(HelpFilePathBesideExecutable("C:\\Q.exe"), "C:\\Help- Quenvale Memory Optimizer.chm");
    EXPECT_EQ(HelpFilePathBesideExecutable("\\\\server\\share\\tools\\q.exe"),
              "\\\\server\\share\\tools\\Help- Quenvale Memory Optimizer.chm");
}

}  // namespace
}  // namespace qmo
