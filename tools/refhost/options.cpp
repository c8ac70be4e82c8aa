// Parses zul-refhost's command line.
#include "options.h"

#include <charconv>

#include "exchange/slot_layout.h"
#include "platform/code_page.h"

namespace rqx340::refhost {

namespace {

// Any value the tool's -l%d reads; the tool itself treats unknown ones as English.
constexpr std::uint64_t kMaxLanguage = 99;

// Decimal, or hexadecimal after "0x"; nullopt for anything else or above `max`.
std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
  return value;
}

std::optional<CommandMatch> ParseMatch(std::string_view text) {
  CommandMatch match;
  const auto at = text.find('@');
  const auto command = ParseNumber(text.substr(0, at), 0xFFFFFFFF);
  if (!command) return std::nullopt;
  match.command = static_cast<std::uint32_t>(*command);
  if (at != std::string_view::npos) {
    const auto occurrence = ParseNumber(text.substr(at + 1), UINT64_MAX);
    if (!occurrence || *occurrence == 0) return std::nullopt;
    match.occurrence = occurrence;
  }
  return match;
}

}  // namespace

Result<Options> ParseOptions(std::span<const std::string_view> args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    if (name == "--launch") {
      options.launch = true;
      for (++i; i < args.size(); ++i) options.launch_arguments.emplace_back(args[i]);
      break;
    }
    std::optional<std::string_view> inline_value;
    if (const auto equals = name.find('='); name.rfind("--", 0) == 0 && equals != name.npos) {
      inline_value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const auto value = [&]() -> std::optional<std::string_view> {
      if (inline_value) return inline_value;
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    const auto missing = [&] { return Failure(std::string(name) + " needs a value"); };
    if (name == "--tool") {
      const auto text = value();
      if (!text || text->empty()) return missing();
      options.tool = *text;
    } else if (name == "--language") {
      const auto text = value();
      if (!text) return missing();
      const auto language = ParseNumber(*text, kMaxLanguage);
      if (!language) {
        return Failure("--language takes a number from 0 to " + std::to_string(kMaxLanguage) +
                       ", not '" + std::string(*text) + "'");
      }
      options.language = static_cast<int>(*language);
    } else if (name == "--slots") {
      const auto text = value();
      if (!text) return missing();
      const auto count = ParseNumber(*text, kSlotCount);
      if (!count) {
        return Failure("--slots takes a number from 0 to 32, not '" + std::string(*text) + "'");
      }
      options.slots = static_cast<int>(*count);
    } else if (name == "--client-id") {
      const auto text = value();
      if (!text) return missing();
      if (text->empty() || ToAnsi(*text).size() > kClientIdSize) {
        return Failure("--client-id takes 1 to 16 bytes");
      }
      options.client_id = *text;
    } else if (name == "--inbox") {
      const auto text = value();
      if (!text || text->empty()) return missing();
      options.inbox = *text;
    } else if (name == "--log") {
      const auto text = value();
      if (!text || text->empty()) return missing();
      options.log = std::string(*text);
    } else if (name == "--fail") {
      const auto text = value();
      if (!text) return missing();
      const auto equals = text->find('=');
      const auto match = ParseMatch(text->substr(0, equals));
      const auto reply = equals == std::string_view::npos
                             ? std::nullopt
                             : ParseNumber(text->substr(equals + 1), 0xFFFFFFFF);
      if (!match || !reply) {
        return Failure("--fail takes CMD[@N]=REPLY, not '" + std::string(*text) + "'");
      }
      options.fails.push_back({*match, static_cast<std::uint32_t>(*reply)});
    } else if (name == "--exit-on") {
      const auto text = value();
      if (!text) return missing();
      const auto match = ParseMatch(*text);
      if (!match) {
        return Failure("--exit-on takes CMD[@N], not '" + std::string(*text) + "'");
      }
      options.exit_on.push_back(*match);
    } else {
      return Failure("unknown argument '" + std::string(args[i]) + "'");
    }
  }
  if (options.tool.empty() && !options.launch) {
    return Failure("--tool PATH is required without --launch");
  }
  return options;
}

}  // namespace rqx340::refhost
