#include "music/score.h"

#include <stdexcept>

#include "formats/xm_sync_marks.h"

namespace content::music {

int RowCount(const Score& score) { return static_cast<int>(score.ticks.size()); }
int ChannelCount(const Score& score) { return static_cast<int>(score.channels.size()); }

int AppendRows(Score* score, int rows, uint8_t ticks)
{
    const int first = RowCount(*score);
    score->ticks.insert(score->ticks.end(), static_cast<size_t>(rows), ticks);
    score->cells.resize(score->ticks.size() * score->channels.size());
    score->marks.resize(score->ticks.size());
    return first;
}

XmCell& CellAt(Score* score, int row, int channel)
{
    if (row < 0 || row >= RowCount(*score) || channel < 0 || channel >= ChannelCount(*score)) {
        throw std::out_of_range(score->title + ": no cell at row " + std::to_string(row) + ", channel " + std::to_string(channel));
    }
    return score->cells[static_cast<size_t>(row) * score->channels.size() + static_cast<size_t>(channel)];
}

const XmCell& CellAt(const Score& score, int row, int channel)
{
    return CellAt(const_cast<Score*>(&score), row, channel);
}

uint8_t AddInstrument(Score* score, XmInstrument instrument)
{
    score->instruments.push_back(std::move(instrument));
    return static_cast<uint8_t>(score->instruments.size());
}

void StartPattern(Score* score, int row)
{
    auto& starts = score->patternStarts;
    if (!starts.empty() && starts.back() >= row) throw std::logic_error(score->title + ": pattern starts must rise");
    starts.push_back(row);
}

void PutMark(Score* score, int row, uint8_t value)
{
    if (row < 0 || row >= RowCount(*score)) throw std::out_of_range(score->title + ": mark outside the score");
    score->marks[static_cast<size_t>(row)].push_back(value);
}

int64_t RowTicks(const Score& score, int row)
{
    int64_t ticks = 0;
    for (int r = 0; r < row && r < RowCount(score); ++r) ticks += score.ticks[static_cast<size_t>(r)];
    return ticks;
}


namespace {

// Puts an effect into the free effect column nearest the last channel.
void PutControl(std::vector<XmCell>* rowCells, uint8_t effect, uint8_t param, const std::string& where)
{
    for (size_t c = rowCells->size(); c-- > 0;) {
        XmCell& cell = (*rowCells)[c];
        if (cell.effect == 0 && cell.param == 0) {
            cell.effect = effect;
            cell.param = param;
            return;
        }
    }
    throw std::runtime_error(where + ": no free effect column");
}

bool SamePattern(const XmPattern& a, const XmPattern& b)
{
    if (a.rows != b.rows) return false;
    for (size_t i = 0; i < a.cells.size(); ++i) {
        const XmCell& x = a.cells[i];
        const XmCell& y = b.cells[i];
        if (x.note != y.note || x.instrument != y.instrument || x.volume != y.volume || x.effect != y.effect || x.param != y.param) return false;
    }
    return true;
}

} // namespace

XmModule ScoreToModule(const Score& score)
{
    const int rows = RowCount(score);
    const int channels = ChannelCount(score);
    if (rows == 0 || channels == 0 || channels > 32) throw std::runtime_error(score.title + ": empty score or too many channels");
    if (score.patternStarts.empty() || score.patternStarts.front() != 0) throw std::runtime_error(score.title + ": the first pattern must start at row 0");

    XmModule module;
    module.title = score.title;
    module.channels = static_cast<uint16_t>(channels);
    module.bpm = static_cast<uint16_t>(score.bpm);
    module.speed = score.ticks.front();
    module.instruments = score.instruments;

    std::vector<int> bounds = score.patternStarts;
    bounds.push_back(rows);
    bool restartFound = false;
    for (size_t p = 0; p + 1 < bounds.size(); ++p) {
        const int first = bounds[p];
        const int length = bounds[p + 1] - first;
        if (length < 1 || length > 256) throw std::runtime_error(score.title + ": a pattern of " + std::to_string(length) + " rows");
        XmPattern pattern = MakeXmPattern(static_cast<uint16_t>(length), static_cast<uint16_t>(channels));
        for (int r = 0; r < length; ++r) {
            const int row = first + r;
            std::vector<XmCell> cells(score.cells.begin() + static_cast<long>(row) * channels,
                                      score.cells.begin() + static_cast<long>(row + 1) * channels);
            const std::string where = score.title + " row " + std::to_string(row);
            const uint8_t ticks = score.ticks[static_cast<size_t>(row)];
            if (row == score.restartRow || (row > 0 && ticks != score.ticks[static_cast<size_t>(row - 1)])) {
                PutControl(&cells, 0x0F, ticks, where);
            }
            for (uint8_t value : score.marks[static_cast<size_t>(row)]) PutControl(&cells, kXmSyncEffect, value, where);
            for (int c = 0; c < channels; ++c) {
                XmCell& cell = cells[static_cast<size_t>(c)];
                const int pan = score.channels[static_cast<size_t>(c)].panning;
                if (pan >= 0 && cell.instrument && cell.note && cell.note != kKeyOff && !cell.effect && !cell.param) {
                    cell.effect = 0x08;
                    cell.param = static_cast<uint8_t>(pan);
                }
            }
            for (int c = 0; c < channels; ++c) pattern.At(r, c) = cells[static_cast<size_t>(c)];
        }
        size_t index = module.patterns.size();
        for (size_t i = 0; i < module.patterns.size(); ++i) {
            if (SamePattern(module.patterns[i], pattern)) index = i;
        }
        if (index == module.patterns.size()) module.patterns.push_back(std::move(pattern));
        if (first == score.restartRow) {
            module.restartPosition = static_cast<uint16_t>(module.orders.size());
            restartFound = true;
        }
        module.orders.push_back(static_cast<uint8_t>(index));
    }
    if (!restartFound) throw std::runtime_error(score.title + ": the loop-back row starts no pattern");
    if (module.orders.size() > 256 || module.patterns.size() > 256) throw std::runtime_error(score.title + ": too many patterns");
    return module;
}

} // namespace content::music
