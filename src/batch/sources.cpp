#include "batch/sources.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <istream>
#include <ostream>
#include <system_error>

#include "batch/exit_status.h"
#include "batch/output_files.h"
#include "morva/analysis_csv.h"
#include "morva/sample_file.h"
#include "text/sample_text.h"

namespace morva {

namespace {

/// A fixed-column sample file: a block with a field that is not a number is passed over; a
/// file that ends before a single sample could be read is said to, as a table is.
class sample_file_source : public sample_source {
 public:
  sample_file_source(std::istream& in, const std::string& name) : reader_(in, name) {}
  got next(sample_entry& e, bool& is_sample) override {
    const read_result r = reader_.next();
    switch (r.what) {
      case read_result::kind::sample:
        e.s = r.sample;
        is_sample = true;
        ++samples_;
        return got::entry;
      case read_result::kind::end:
        if (!r.dropped) {
          if (samples_ > 0 || ended_) return got::end;
          ended_ = true;
          e.notes.push_back(reader_.name() + ": no sample could be read from the file");
          e.bad = true;
          return got::fatal;
        }
        e.notes.push_back(reader_.name() + ": the file ends inside sample " +
                          file_name(*r.dropped) + "; it is not used");
        e.bad = true;
        e.s.number = *r.dropped;
        e.unreadable = e.notes.back();
        return got::entry;
      case read_result::kind::error:
        // The fault as the program has always said it, and for a number beyond any double
        // (which reads as no character is unexpected) what the field holds.
        e.notes.push_back("sample file " + reader_.name() + ", line " + std::to_string(r.line) +
                          ": " + r.fault +
                          (r.detail.find("too large") != std::string::npos ? ": " + r.detail : ""));
        e.bad = true;
        if (r.fault == "read error") return got::fatal;
        e.unreadable = e.notes.back();
        reader_.skip_rest_of_block();
        return got::entry;
    }
    return got::end;
  }

 private:
  sample_reader reader_;
  long samples_ = 0;    // samples handed out so far
  bool ended_ = false;  // the end has been said of a file without a sample
};

/// A CSV table of analyses: a row with a cell that is not a number is passed over; a table that
/// cannot be read before a single sample is said to give none, as a sample file is.
class csv_source : public sample_source {
 public:
  csv_source(std::istream& in, const std::string& name, const analysis_reading& how)
      : reader_(in, name, how) {}
  got next(sample_entry& e, bool& is_sample) override {
    csv_read_result r = reader_.next();
    e.notes = std::move(r.warnings);
    switch (r.what) {
      case csv_read_result::kind::sample:
        e.s = std::move(r.sample);
        is_sample = true;
        ++samples_;
        return got::entry;
      case csv_read_result::kind::end:
        return e.notes.empty() ? got::end : got::entry;  // the warnings of an empty table
      case csv_read_result::kind::bad_row:
        e.notes.push_back(r.error);
        e.bad = true;
        e.s = std::move(r.sample);  // its id and location, where the row gave them
        e.unreadable = r.error;
        return got::entry;
      case csv_read_result::kind::bad_file: {
        e.notes.push_back(r.error);
        const std::string none = reader_.name() + ": no sample could be read from the table";
        if (samples_ == 0 && r.error != none) e.notes.push_back(none);
        e.bad = true;
        e.refuses_file = r.refuses_file;
        return got::fatal;
      }
    }
    return got::end;
  }

 private:
  analysis_csv_reader reader_;
  long samples_ = 0;  // samples handed out so far
};

}  // namespace

bool is_csv_name(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".csv";
}

std::unique_ptr<sample_source> open_source(std::istream& in, const std::string& name,
                                           const analysis_reading& how) {
  if (is_csv_name(name)) return std::make_unique<csv_source>(in, name, how);
  return std::make_unique<sample_file_source>(in, name);
}

bool is_folder(const std::string& name) {
  std::error_code ec;
  return std::filesystem::is_directory(name, ec);
}

std::unique_ptr<sample_source> open_samples(const std::string& name, std::ifstream& in,
                                            std::ostream& err, const analysis_reading& how) {
  if (is_folder(name)) {
    err << "morva: " << name << " is a folder, not a sample file or table\n";
    return nullptr;
  }
  {
    const blocking_section wait;  // a FIFO opens when its writer comes
    in.open(name, std::ios::binary);
  }
  if (in.is_open() && in) return open_source(in, name, how);
  err << "morva: cannot open sample file " << name << '\n';
  return nullptr;
}

int for_each_sample(sample_source& source, std::ostream& err,
                    const std::function<void(const sample_record&)>& on_sample) {
  int status = exit_done;
  for (;;) {
    sample_entry e;
    bool is_sample = false;
    got g = got::end;
    {
      const blocking_section wait;  // a pipe may hold the next entry back
      g = source.next(e, is_sample);
    }
    if (g == got::end) break;
    for (const std::string& note : e.notes) err << "morva: " << note << '\n';
    if (e.bad) status = std::max(status, e.refuses_file ? exit_usage : exit_bad_input);
    if (is_sample) on_sample(e.s);
    if (g == got::fatal) break;
  }
  return status;
}

bool selected(const selection& sel, const std::string& id) {
  return sel.only == nullptr || sel.only->empty() ||
         std::find(sel.only->begin(), sel.only->end(), id) != sel.only->end();
}

const run_options& options_for(const selection& sel, const std::string& id) {
  if (sel.per_sample != nullptr) {
    if (const run_options* o = sel.per_sample->find(id)) return *o;
  }
  return sel.options;
}

std::set<std::string> repeated_ids(const std::string& name) {
  std::set<std::string> seen, repeated;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) return repeated;
  std::ifstream in(name, std::ios::binary);
  if (!in) return repeated;
  const std::unique_ptr<sample_source> source = open_source(in, name);
  for (;;) {
    sample_entry e;
    bool is_sample = false;
    const got g = source->next(e, is_sample);
    if (g == got::end) break;
    if (is_sample) {
      const std::string id = id_key(e.s);
      if (!seen.insert(id).second) repeated.insert(id);
    }
    if (g == got::fatal) break;
  }
  return repeated;
}

void say_unmatched(const selection& sel, const std::set<std::string>& seen, const std::string& file,
                   std::ostream& err) {
  if (sel.only != nullptr) {
    for (const std::string& id : *sel.only) {
      if (!seen.contains(id))
        err << "morva: --only names sample " << id << ", which is not in " << file << "\n";
    }
  }
  if (sel.per_sample != nullptr) {
    sel.per_sample->for_each([&](const std::string& id, const run_options&) {
      if (!seen.contains(id))
        err << "morva: the options table names sample " << id << ", which is not in " << file
            << "\n";
    });
  }
}

std::string entry_tally::take(const sample_entry& e) {
  for (const std::string& note : e.notes) err_ << "morva: " << note << '\n';
  if (e.bad) status_ = std::max(status_, e.refuses_file ? exit_usage : exit_bad_input);
  std::string id = id_key(e.s);
  if (!id.empty() && !seen_.insert(id).second && repeated_.insert(id).second) {
    err_ << "morva: sample id " << utf8_id(e.s) << " appears more than once in " << file_ << '\n';
  }
  if (e.selected && !e.unreadable) ++selected_;
  return id;
}

void entry_tally::end(const selection& sel, bool only_given) {
  say_unmatched(sel, seen_, file_, err_);
  if (only_given && selected_ == 0) {
    err_ << "morva: no sample of " << file_ << " is selected; nothing was calculated\n";
    status_ = std::max(status_, exit_bad_input);
  }
}

}  // namespace morva
