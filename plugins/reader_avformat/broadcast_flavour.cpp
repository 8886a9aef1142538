// Dremmet: the broadcast reader behind the "Broadcast" source. It receives a live MPEG
// transport stream over UDP or RTP from the address in the registry value "Address" under
// software\Morvelant\plugins\broadcast (for example "udp://239.0.0.1:5004" or
// "rtp://0.0.0.0:5004"; libavformat's URL options may follow), by default udp://0.0.0.0:5004.
// The video is not paced by the audio clock.
#include "platform/registry.h"
#include "platform/text.h"
#include "plugins/reader_avformat/reader_flavour.h"

namespace {

constexpr char16_t kBroadcastKey[] = u"software\\Morvelant\\plugins\\broadcast";
constexpr char16_t kAddressValue[] = u"Address";
constexpr char kDefaultAddress[] = "udp://0.0.0.0:5004";

std::string BroadcastAddress(const std::string&) {
  RegistryLoadDefault();  // this library's own view of the player's registry
  std::u16string address;
  if (RegistryGetString(RegistryRoot::LocalMachine, kBroadcastKey, kAddressValue, &address) &&
      !address.empty())
    return WideToUtf8(address);
  return kDefaultAddress;
}

}  // namespace

const ReaderFlavour kReaderFlavour = {
    .inputFormat = "mpegts", .ignoreIndex = false, .live = true, .source = BroadcastAddress};
