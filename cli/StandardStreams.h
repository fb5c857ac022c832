// Reading an input from standard input and writing an output to standard output, for
// pipelines: whole reads with a size limit, writes that report a reader that went away, and
// the refusal to pour binary data onto a terminal.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "codec/Codec.h"

namespace tq1::cli {

// Whether a file name given on the command line stands for a standard stream.
[[nodiscard]] bool isStandardStream(const std::string& name);

// The name to use in messages: "standard input" / "standard output" for "-".
[[nodiscard]] std::string inputName(const std::string& name);
[[nodiscard]] std::string outputName(const std::string& name);

// Reads standard input to its end, at most kMaxInputFileBytes. Fails when it is a terminal
// (nobody types an image), cannot be read, or holds more than the limit; the messages leave
// naming the stream to the caller.
[[nodiscard]] CodecStatus readStandardInput(std::vector<std::uint8_t>& bytes);

// Reads `name`, a file or "-".
[[nodiscard]] CodecStatus readInput(const std::string& name, FileBytes& bytes);

// A message when standard output is a terminal, where image data would only garble the
// screen; empty otherwise.
[[nodiscard]] std::string terminalOutputRefusal();

// Writes every byte to standard output, retrying after interruptions and short writes. A
// reader that went away (EPIPE; the program ignores SIGPIPE so that it sees the error),
// a full disk behind a redirection and every other failure come back as FileWriteFailed.
[[nodiscard]] CodecStatus writeStandardOutput(std::span<const std::uint8_t> bytes);

// The bytes written to standard output so far.
[[nodiscard]] std::uint64_t standardOutputBytes();

// A sink for the producers of Codec.h that writes to standard output; `status` keeps the
// first failure, after which the sink refuses every piece.
[[nodiscard]] ByteSink standardOutputSink(CodecStatus& status);

// Writes `produce`'s bytes to `name`: standard output for "-", else a file replaced through
// a temporary file only when complete.
[[nodiscard]] CodecStatus writeOutput(const std::string& name, const FileProducer& produce);

// The light program has read standard input to its end and hands the command to the full
// program: standard input is replaced by an in-memory file holding the bytes read, so that
// the full program reads exactly what came in.
[[nodiscard]] CodecStatus passStandardInputOn(std::span<const std::uint8_t> bytes);

}  // namespace tq1::cli
