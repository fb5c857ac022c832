// Parsing of the tq1 command line: commands, options with their ranges, defaults and usage
// errors.
#include <gtest/gtest.h>

#include "cli/CommandLine.h"

namespace tq1::cli {
namespace {

ParseResult parse(std::initializer_list<const char*> words) {
  std::vector<std::string> args(words.begin(), words.end());
  return parseCommandLine(args);
}

TEST(CommandLine, EncodeWithEveryOption) {
  const ParseResult r = parse({"encode", "in.bmp", "-o", "x.tq1", "-t", "12", "--smoothing", "36",
                               "--bits", "5,6,4", "-v"});
  ASSERT_TRUE(r.command) << r.error;
  EXPECT_EQ(r.command->kind, CommandKind::Encode);
  EXPECT_EQ(r.command->input, "in.bmp");
  EXPECT_EQ(r.command->output, "x.tq1");
  EXPECT_EQ(r.command->params.tolerance, 12);
  EXPECT_EQ(r.command->params.smoothThreshold, 36);
  EXPECT_EQ(r.command->params.bits, (std::array<std::uint8_t, 3>{5, 6, 4}));
  EXPECT_TRUE(r.command->verbose);
}

TEST(CommandLine, DefaultsAreTheFactorySettingsAndTheOtherExtension) {
  const ParseResult encode = parse({"encode", "dir.v2/photo.bmp"});
  ASSERT_TRUE(encode.command);
  EXPECT_EQ(encode.command->output, "dir.v2/photo.tq1");
  EXPECT_EQ(encode.command->params, CodecParams{});
  const ParseResult decode = parse({"decode", "photo.TQ1"});
  ASSERT_TRUE(decode.command);
  EXPECT_EQ(decode.command->output, "photo.bmp");
  const ParseResult bare = parse({"encode", "noextension"});
  EXPECT_EQ(bare.command->output, "noextension.tq1");
  const ParseResult allBits = parse({"encode", "a.bmp", "-b", "3"});
  EXPECT_EQ(allBits.command->params.bits, (std::array<std::uint8_t, 3>{3, 3, 3}));
}

TEST(CommandLine, RejectsBadValuesAndWords) {
  const std::vector<std::vector<const char*>> bad = {
      {},
      {"compress", "a.bmp"},
      {"encode"},
      {"encode", "a.bmp", "-t", "51"},
      {"encode", "a.bmp", "-t", "-1"},
      {"encode", "a.bmp", "-t", "ten"},
      {"encode", "a.bmp", "-s", "151"},
      {"encode", "a.bmp", "-b", "9"},
      {"encode", "a.bmp", "-b", "8,8"},
      {"encode", "a.bmp", "-b", "8,8,8,8"},
      {"encode", "a.bmp", "-o"},
      {"encode", "a.bmp", "b.bmp", "-o", "x.tq1"},
      {"decode", "a.tq1", "-", "b.tq1"},
      {"decode", "a.tq1", "--format", "p/ng"},
      {"encode", "a.bmp", "--format", "png"},
      {"encode", "a.bmp", "--json"},
      {"info", "--format", "png", "a.tq1"},
      {"encode", "a.bmp", "--dir", "d"},
      {"encode", "a.bmp", "--frobnicate"},
      {"decode", "a.tq1", "-t", "3"},
      {"info", "a.tq1", "-o", "x"},
      {"batch"},
      {"batch", "a.lst", "--dir", "d"},
      {"batch", "a.lst", "-j", "0"},
  };
  for (const auto& words : bad) {
    std::vector<std::string> args(words.begin(), words.end());
    const ParseResult r = parseCommandLine(args);
    EXPECT_FALSE(r.command) << ::testing::PrintToString(args);
    EXPECT_FALSE(r.error.empty());
  }
}

TEST(CommandLine, BatchAndHelp) {
  const ParseResult list = parse({"batch", "l.lst", "-j", "2", "--no-overwrite"});
  ASSERT_TRUE(list.command);
  EXPECT_EQ(list.command->jobs, 2u);
  EXPECT_EQ(list.command->overwrite, OverwritePolicy::Never);
  const ParseResult dir = parse({"batch", "--dir", "scans/", "-t", "5", "--overwrite"});
  ASSERT_TRUE(dir.command);
  EXPECT_EQ(dir.command->directory, "scans/");
  EXPECT_EQ(dir.command->params.tolerance, 5);
  EXPECT_EQ(dir.command->overwrite, OverwritePolicy::Always);
  EXPECT_EQ(parse({"--help"}).command->kind, CommandKind::Help);
  EXPECT_EQ(parse({"encode", "--help"}).command->kind, CommandKind::Help);
  EXPECT_EQ(parse({"-V"}).command->kind, CommandKind::Version);
  EXPECT_NE(usageText().find("tq1 encode"), std::string::npos);
}

TEST(CommandLine, SeveralInputsStandardStreamsAndFormats) {
  const ParseResult many = parse({"decode", "a.tq1", "b.TQ1", "--format", "PNG", "-j", "3", "--no-overwrite"});
  ASSERT_TRUE(many.command) << many.error;
  EXPECT_EQ(many.command->inputs, (std::vector<std::string>{"a.tq1", "b.TQ1"}));
  EXPECT_EQ(many.command->format, "png");
  EXPECT_EQ(many.command->jobs, 3u);
  EXPECT_EQ(many.command->overwrite, OverwritePolicy::Never);
  EXPECT_EQ(defaultOutputName("b.TQ1", CommandKind::Decode, many.command->format), "b.png");

  // Standard input goes to standard output unless -o names a file; "-o -" is standard output.
  const ParseResult piped = parse({"encode", "-", "-t", "3"});
  ASSERT_TRUE(piped.command) << piped.error;
  EXPECT_EQ(piped.command->input, "-");
  EXPECT_EQ(piped.command->output, "-");
  EXPECT_EQ(parse({"decode", "-", "-o", "x.bmp"}).command->output, "x.bmp");
  EXPECT_EQ(parse({"encode", "a.bmp", "-o", "-"}).command->output, "-");
  EXPECT_EQ(parse({"decode", "a.tq1", "--format", "jpg"}).command->output, "a.jpg");

  const ParseResult info = parse({"info", "--json", "a.tq1", "-", "b.tq1"});
  ASSERT_TRUE(info.command) << info.error;
  EXPECT_TRUE(info.command->json);
  EXPECT_EQ(info.command->inputs.size(), 3u);
  EXPECT_FALSE(parse({"info", "-", "-"}).command);
}

}  // namespace
}  // namespace tq1::cli
