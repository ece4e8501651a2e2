#include "output/notes.hpp"

#include <smf.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/errors.hpp"
#include "base/extension.hpp"
#include "output/output_file.hpp"

namespace morvkit {

void NoteList::add(const NoteEvent &event) {
    end(event.time);
    if (event.velocity > 0) {
        notes_.push_back({event.time, event.time, event.pitch, event.velocity});
        sounding_ = true;
    }
}

void NoteList::end(double time) {
    if (sounding_)
        notes_.back().offset = std::max(time, notes_.back().onset);
    sounding_ = false;
}

std::optional<NotesFormat> notes_format(const std::filesystem::path &file) {
    const std::string extension = lowercase_extension(file);
    if (extension == ".csv")
        return NotesFormat::csv;
    if (extension == ".json")
        return NotesFormat::json;
    if (extension == ".mid" || extension == ".midi")
        return NotesFormat::midi;
    return std::nullopt;
}

std::string notes_extension(NotesFormat format) {
    return format == NotesFormat::csv ? ".csv" : format == NotesFormat::json ? ".json" : ".mid";
}

namespace {

constexpr int pulses_per_quarter = 960;

using Smf = std::unique_ptr<smf_t, decltype(&smf_delete)>;
using TemporaryFile = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

[[noreturn]] void cannot_write(const OutputFile &file, const std::string &why) {
    throw Error(ExitStatus::output, "cannot write " + file.name() + ": " + why);
}

// A MIDI data byte: 0 to 127.
int data_byte(long value) {
    return static_cast<int>(std::clamp<long>(value, 0, 127));
}

void add_event(OutputFile &file, smf_track_t *track, int status, long pitch, long velocity,
               double seconds) {
    smf_event_t *event = smf_event_new_from_bytes(status, data_byte(pitch), data_byte(velocity));
    if (!event)
        cannot_write(file, "libsmf could not make a note event");
    smf_track_add_event_seconds(track, event, std::max(seconds, 0.0));
}

// libsmf saves to a named file only: it saves to an anonymous temporary one, whose bytes then go
// through the result file like any other result's.
void write_midi(OutputFile &file, const std::vector<Note> &notes) {
    Smf smf(smf_new(), smf_delete);
    if (!smf || smf_set_ppqn(smf.get(), pulses_per_quarter) != 0)
        cannot_write(file, "libsmf could not make a MIDI file");
    smf_track_t *track = smf_track_new();
    if (!track)
        cannot_write(file, "libsmf could not make a track");
    smf_add_track(smf.get(), track);
    for (const Note &note : notes) {
        add_event(file, track, 0x90, note.pitch, std::max<long>(note.velocity, 1), note.onset);
        add_event(file, track, 0x80, note.pitch, 0, note.offset);
    }
    TemporaryFile temporary(std::tmpfile(), std::fclose);
    if (!temporary)
        cannot_write(file, std::string("no temporary file: ") + std::strerror(errno));
    const std::string name = "/proc/self/fd/" + std::to_string(fileno(temporary.get()));
    if (smf_save(smf.get(), name.c_str()) != 0)
        cannot_write(file, "libsmf could not save the MIDI file");
    std::rewind(temporary.get());
    char buffer[8192];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, temporary.get())) > 0)
        file.stream().write(buffer, static_cast<std::streamsize>(got));
    if (std::ferror(temporary.get()))
        cannot_write(file, std::string("cannot read the temporary file: ") + std::strerror(errno));
}

}  // namespace

void write_notes(OutputFile &file, NotesFormat format, const std::vector<Note> &notes,
                 const Json &head) {
    if (format == NotesFormat::midi) {
        write_midi(file, notes);
    } else {
        RowWriter writer(file.stream(), format == NotesFormat::csv ? Format::csv : Format::json,
                         note_columns);
        writer.begin(head);
        for (const Note &note : notes)
            writer.row(std::array<double, 4>{note.onset, note.offset,
                                             static_cast<double>(note.pitch),
                                             static_cast<double>(note.velocity)});
        Json tail;
        tail["notes"] = notes.size();
        writer.end(tail);
    }
    file.commit();
}

}  // namespace morvkit
