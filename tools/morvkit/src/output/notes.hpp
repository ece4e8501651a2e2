// notes.hpp - notes from note events, and the notes file: CSV, JSON or a Standard MIDI File.
//
// A note starts with an event of velocity above 0 and ends with the next event (its end, or the
// start of the next note: notes never overlap), or at the end of the input.  CSV and JSON hold
// one row per note: onset and offset in seconds, pitch (a MIDI note number) and velocity, written
// as writers.hpp writes rows.  The MIDI file (format 0, one track, channel 1, 960 pulses per
// quarter note at the standard tempo of 120 per minute, so a pulse is about half a millisecond)
// is made by libsmf.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "analysis/settled.hpp"
#include "output/writers.hpp"

namespace morvkit {

class OutputFile;

struct Note {
    double onset = 0, offset = 0;  // s
    long pitch = 0, velocity = 0;
};

inline const std::vector<std::string> note_columns{"onset", "offset", "pitch", "velocity"};

class NoteList {
  public:
    void add(const NoteEvent &event);
    // Ends the sounding note, if any, at `time`.
    void end(double time);
    const std::vector<Note> &notes() const { return notes_; }

  private:
    std::vector<Note> notes_;
    bool sounding_ = false;
};

enum class NotesFormat { csv, json, midi };
// The format a file name asks for by its extension (.csv, .json, .mid or .midi, either case).
std::optional<NotesFormat> notes_format(const std::filesystem::path &file);
// The extension of a format's files, ".mid" for MIDI.
std::string notes_extension(NotesFormat format);

// Writes the notes and puts the file in place; `head` is the JSON head (the run's settings).
// Throws Error(output) when the file cannot be written.
void write_notes(OutputFile &file, NotesFormat format, const std::vector<Note> &notes,
                 const Json &head);

}  // namespace morvkit
