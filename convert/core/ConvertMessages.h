#pragma once

// The texts a conversion shows the user, shared by the Single page, the batch
// run and the command-line converter.

inline constexpr char kMsgSelectInAndOut[] = "Please select in file and Out folder.";
inline constexpr char kMsgSelectOutType[] = "Please select out file type.";
inline constexpr char kMsgConvertOk[] = "Convert picture OK.";
// First line of the message when anything was not written; one line per
// output not written ("<path>: <reason>") follows.
inline constexpr char kMsgConvertFailed[] = "Convert picture failed.";
