#pragma once

#include <string>

/// One complete RIB file per exported frame, named by a printf-style pattern
/// such as "frames/blorp.%04d.rib" with the frame number. Each file holds the
/// header, the frame and nothing else, so that any frame renders on its own
/// and a render farm can hand frames out one by one.
///
/// A pattern holds exactly one integer conversion (%d, %i, %u, %o, %x or %X,
/// with any of the flags "-+ #0" and a width and precision of at most two
/// digits each) and no other '%' than "%%". Nothing else is ever handed to
/// the formatter, so a name cannot read past its one argument.
namespace frameFiles {

/// True when `target` names one file per frame: it holds a '%' and is neither
/// a pipe ("|command") nor "-".
bool isPattern(const std::string& target);

/// True when `pattern` is one that nameOf can format; otherwise `problem`
/// says what is wrong in a short phrase.
bool checkPattern(const std::string& pattern, std::string& problem);

/// The file name of frame `frame`. `pattern` must have passed checkPattern.
std::string nameOf(const std::string& pattern, int frame);

/// The name a frame file is written under until it is whole: readers that
/// look for the pattern's names never see half a frame.
std::string partialName(const std::string& name);

/// What the per-frame output has done so far in this process.
struct Record {
    long written = 0;         ///< files written whole
    std::string lastWritten;  ///< the last of them, "" before the first
    /// The file of the frame that could not be written whole, "" while none
    /// failed; its partial file has been removed.
    std::string failedFile;
    /// Why, when the RenderMan library did not report it (a rename that
    /// failed); "" otherwise.
    std::string failureReason;
};
const Record& record();

/// Opens the RenderMan output for frame `frame` under its partial name,
/// creating missing folders on the way. False, with the failure in record(),
/// when it cannot be opened (the library has reported why).
bool beginFrame(const std::string& pattern, int frame);

/// Ends the output beginFrame opened with RiEnd and, when every byte of it
/// went through, gives the file its name. Otherwise removes the partial file
/// and notes the failure in record(). Returns true when the file is whole.
bool endFrame();

/// Forgets what record() holds; for tests that export more than once.
void resetRecord();

}  // namespace frameFiles
