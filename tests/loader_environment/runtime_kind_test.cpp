// How an attempt tells the engine the road its library came from.
#include <gtest/gtest.h>

#include "loader/engine_library.h"

namespace mirvot {
namespace {

TEST(RuntimeKindTest, SearchedInstalledRuntimeIsInstalled) {
  EXPECT_EQ(RuntimeKindFor(false, false), RuntimeKind::Installed);
}

TEST(RuntimeKindTest, BrowserExecutableFolderIsFixedFolder) {
  EXPECT_EQ(RuntimeKindFor(true, false), RuntimeKind::FixedFolder);
}

TEST(RuntimeKindTest, EdgeViewIsEdgeViewOnEitherRoad) {
  EXPECT_EQ(RuntimeKindFor(true, true), RuntimeKind::EdgeView);
  EXPECT_EQ(RuntimeKindFor(false, true), RuntimeKind::EdgeView);
}

TEST(RuntimeKindTest, KindsHaveTheEngineValues) {
  EXPECT_EQ(static_cast<int>(RuntimeKind::Installed), 0);
  EXPECT_EQ(static_cast<int>(RuntimeKind::FixedFolder), 1);
  EXPECT_EQ(static_cast<int>(RuntimeKind::EdgeView), 2);
}

}  // namespace
}  // namespace mirvot
