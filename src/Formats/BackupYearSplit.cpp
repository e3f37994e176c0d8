// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/BackupYearSplit.h"

#include <cstdio>
#include <filesystem>

#include "Formats/MediaFolder.h"
#include "MBVars/DataFile.h"
#include "OFuncs/IoError.h"

struct BackupYearSplit::Year {
    explicit Year(const MsgStore& names) {
        Store.History = names.History;
        Store.HistoryCount = names.HistoryCount;
        Store.Book = names.Book;
        Chosen = std::make_unique<BackupSelection>(Store);
    }
    MsgStore Store;
    std::unique_ptr<BackupSelection> Chosen;  // made for Store, which stays in place
};

BackupYearSplit::BackupYearSplit(const MsgStore& names) : names_(names) {}
BackupYearSplit::~BackupYearSplit() = default;

void BackupYearSplit::Offer(BackupMessage& m) {
    const std::string_view time = m.Record.Time.view();
    const int year = std::stoi(std::string(time.substr(0, 4)));  // the time's form starts with four digits
    std::unique_ptr<Year>& y = years_[year];
    if (!y) y = std::make_unique<Year>(names_);
    firstNames_.Note(m.Record);
    y->Chosen->Offer(m);
}

std::int64_t BackupYearSplit::OlderLeftOut() const {
    std::int64_t n = leftOutWritten_;
    for (const auto& [year, y] : years_)
        if (y && y->Chosen) n += y->Chosen->OlderLeftOut();
    return n;
}

std::string BackupYearSplit::PathOf(const std::string& dir, int year) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.kst", year);
    return (std::filesystem::path(dir) / name).string();
}

std::vector<int> BackupYearSplit::Years() const {
    std::vector<int> years;
    for (const auto& [year, y] : years_)
        if (y) years.push_back(year);
    return years;
}

void BackupYearSplit::Write(const YearWriting& how, std::vector<YearFile>& written) {
    FinishImportOptions options = how.Finish;
    options.HistoryPath.clear();  // the years' files only
    options.HistoryWriter = nullptr;
    std::int64_t messages = 0;
    for (auto& [year, y] : years_) {
        if (!y || (how.Wanted && !how.Wanted(year))) continue;
        if (how.Progress && !how.Progress(written.size(), messages)) return;
        MediaIndex media(how.MediaFrom);
        y->Chosen->AddTo(y->Store, how.MediaFrom.empty() ? nullptr : &media);
        for (std::int32_t n = 1; n <= y->Store.MessageCount; ++n) firstNames_.Fill(y->Store.Messages[n]);
        const std::int64_t leftOut = y->Chosen->OlderLeftOut();
        leftOutWritten_ += leftOut;
        y->Chosen.reset();
        DefaultsType D;
        D.HomeCountry = how.HomeCountry;
        FinishImport(y->Store, D, options);
        const std::string path = PathOf(how.Dir, year);
        try {
            if (!media.Empty()) media.CopyTo(MediaFolderOf(path), true);
            if (const int err = WriteDataFile(y->Store, path)) throw IoError(FileErrorReason(err), path, "write");
            if (!media.Empty()) media.Save(y->Store);
        } catch (const IoError& e) {
            throw e.In(path, "write");
        }
        written.push_back({year, path, y->Store.MessageCount, leftOut});
        messages += y->Store.MessageCount;
        y.reset();  // its memory goes before the next year's finishing
    }
}
