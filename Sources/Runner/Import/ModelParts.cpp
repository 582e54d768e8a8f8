// Reading a model's rooms in parts on threads of their own, and joining the parts' records.
#include "ModelParts.hpp"

#include <algorithm>
#include <chrono>
#include <exception>
#include <map>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include "IfcModel.hpp"
#include "ModelClosure.hpp"
#include "ModelRecords.hpp"

namespace Runner::Import {

namespace {

// The library warnings a summary lists at most, as one reading keeps them.
constexpr std::size_t maxWarnings = 20;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// One part, start to end: its closure (its element quantities with the area quantities the options
// read only), the library's reading of it, its records. The library model is freed here, so that
// a part's thread also bears what freeing it costs.
Status ReadPart(const IfcModel& model, const ImportOptions& options, SpaceRange range, ModelRecords& records,
                PartsReading& reading)
{
    const Clock::time_point start = Clock::now();
    Status status = Status::Ok();
    {
        LibraryModel library;
        const ValueFilter quantities(options);
        status = ReadLibraryModel(model, FindClosure(model.text, model.scan, range, &quantities), library);
        reading.librarySeconds = Seconds(start, Clock::now());
        if (status)
            status = ReadModelRecords(model, library, options, range, records);
    }
    reading.recordsSeconds = Seconds(start, Clock::now()) - reading.librarySeconds;
    return status;
}

bool SameStoreys(const ModelRecords& a, const ModelRecords& b)
{
    return std::equal(a.storeys.begin(), a.storeys.end(), b.storeys.begin(), b.storeys.end(),
                      [](const StoreyRecord& x, const StoreyRecord& y) {
                          return x.entityId == y.entityId && x.name == y.name && x.elevation == y.elevation;
                      });
}

// Joins the parts' records (in the order of their ranges, which is the order of the spaces' ids)
// into `joined`; false when they do not join as one reading would give them.
bool Join(std::vector<ModelRecords>& parts, ModelRecords& joined)
{
    joined = std::move(parts.front());
    std::unordered_set<std::string> guids;
    for (const SpaceRecord& space : joined.spaces)
        guids.insert(space.guid);
    std::map<std::pair<std::string, std::string>, std::size_t> textIndex;
    for (std::size_t i = 0; i < joined.textProperties.size(); ++i)
        textIndex.emplace(std::make_pair(joined.textProperties[i].property.set, joined.textProperties[i].property.name),
                          i);
    for (std::size_t p = 1; p < parts.size(); ++p) {
        ModelRecords& part = parts[p];
        if (!SameStoreys(joined, part))
            return false;
        const std::size_t offset = joined.spaces.size();
        for (SpaceRecord& space : part.spaces) {
            if (!guids.insert(space.guid).second)
                return false;
            joined.spaces.push_back(std::move(space));
        }
        for (TextPropertyRecord& property : part.textProperties) {
            const auto [found, fresh] = textIndex.try_emplace(
                std::make_pair(property.property.set, property.property.name), joined.textProperties.size());
            if (fresh)
                joined.textProperties.push_back({property.property, {}});
            auto& values = joined.textProperties[found->second].values;
            for (auto& [space, text] : property.values)
                values.emplace_back(space + offset, std::move(text));
        }
        for (std::string& warning : part.warnings)
            if (joined.warnings.size() < maxWarnings &&
                std::find(joined.warnings.begin(), joined.warnings.end(), warning) == joined.warnings.end())
                joined.warnings.push_back(std::move(warning));
    }
    return true;
}

} // namespace

std::size_t PartsFor(const StepScan& scan)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp<std::size_t>(scan.spaces / spacesPerPart, 1, std::min<std::size_t>(cores, 8));
}

Status ReadRecordsInParts(const IfcModel& model, const ImportOptions& options, std::size_t parts, ModelRecords& records,
                          PartsReading& reading)
{
    reading = PartsReading();
    const std::vector<SpaceRange> ranges = SplitSpaces(model.scan, parts);
    if (ranges.size() < 2)
        return ReadPart(model, options, {}, records, reading);

    std::vector<ModelRecords> partRecords(ranges.size());
    std::vector<PartsReading> readings(ranges.size());
    std::vector<Status> statuses(ranges.size(), Status::Ok());
    std::vector<std::exception_ptr> failures(ranges.size());
    const auto run = [&](std::size_t part) {
        try {
            statuses[part] = ReadPart(model, options, ranges[part], partRecords[part], readings[part]);
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> threads;
        std::size_t started = 1;
        try {
            for (; started < ranges.size(); ++started)
                threads.emplace_back(run, started);
        } catch (const std::system_error&) {
            // No more threads to be had: this thread reads the parts that are left.
        }
        run(0);
        for (std::size_t part = started; part < ranges.size(); ++part)
            run(part);
    } // the threads are joined here
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
    const bool allRead = std::all_of(statuses.begin(), statuses.end(), [](const Status& s) { return s.IsOk(); });
    if (allRead && Join(partRecords, records)) {
        reading.parts = ranges.size();
        for (const PartsReading& part : readings) {
            reading.librarySeconds = std::max(reading.librarySeconds, part.librarySeconds);
            reading.recordsSeconds = std::max(reading.recordsSeconds, part.recordsSeconds);
        }
        return Status::Ok();
    }
    partRecords.clear();
    return ReadPart(model, options, {}, records, reading);
}

} // namespace Runner::Import
