// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The web page export with its media: the page "NAME.html" keeps the files of the pictures
// and other media it shows in the folder "NAME_files" beside it, named as in the media
// folder, so that a page refers only to files that are there.
#include <string>

#include "Formats/ExportFields.h"
#include "Formats/HtmlExport.h"

struct MessageMedia;

// The folder of a page's files: "NAME_files" beside "NAME.html".
std::string PageFilesFolder(const std::string& pagePath);

// Writes the page of the rows to `path` and, first, the files of their media to its
// folder (hard links to the media folder's files where the file system allows, else
// copies), each one complete before its name appears; the page is written last, whole or
// not at all (an existing page stays as it was on failure). Files of an earlier export of
// the same page that the new one does not show are removed. Throws IoError naming the
// file and the reason.
void WriteWebPage(const std::string& path, const MsgStore& S, ExportRows rows, const ExportLook& look,
                  const MessageMedia* media);
