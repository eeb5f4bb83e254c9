// Typed payloads of the machine-talk requests and responses. Each decoder insists that the payload
// is consumed exactly, so a peer speaking a different layout is noticed at once.
#include "messages.h"

#include "frame_codec.h"

namespace talk {

std::string EncodeSetRequest(const SetRequest& request) {
  return PayloadWriter()
      .PutString(request.name)
      .PutDouble(request.value)
      .PutI32(request.reference)
      .Take();
}

bool DecodeSetRequest(const std::string& payload, SetRequest* request) {
  PayloadReader reader(payload);
  return reader.GetString(&request->name) && reader.GetDouble(&request->value) &&
         reader.GetI32(&request->reference) && reader.Done();
}

std::string EncodeSendBegin(const SendBeginRequest& request) {
  return PayloadWriter().PutString(request.name).PutU64(request.total_size).Take();
}

bool DecodeSendBegin(const std::string& payload, SendBeginRequest* request) {
  PayloadReader reader(payload);
  return reader.GetString(&request->name) && reader.GetU64(&request->total_size) && reader.Done();
}

std::string EncodeCapabilitiesResult(const CapabilitiesResult& result) {
  return PayloadWriter().PutU8(result.result ? 1 : 0).PutList(result.channels).Take();
}

bool DecodeCapabilitiesResult(const std::string& payload, CapabilitiesResult* result) {
  PayloadReader reader(payload);
  std::uint8_t flag = 0;
  if (!reader.GetU8(&flag) || flag > 1)
    return false;
  result->result = flag == 1;
  return reader.GetList(&result->channels) && reader.Done();
}

std::string EncodeMap(const std::map<std::string, std::string>& map) {
  return PayloadWriter().PutMap(map).Take();
}

bool DecodeMap(const std::string& payload, std::map<std::string, std::string>* map) {
  PayloadReader reader(payload);
  return reader.GetMap(map) && reader.Done();
}

std::string EncodeText(const std::string& text) {
  return PayloadWriter().PutString(text).Take();
}

bool DecodeText(const std::string& payload, std::string* text) {
  PayloadReader reader(payload);
  return reader.GetString(text) && reader.Done();
}

std::string EncodeU32(std::uint32_t value) {
  return PayloadWriter().PutU32(value).Take();
}

bool DecodeU32(const std::string& payload, std::uint32_t* value) {
  PayloadReader reader(payload);
  return reader.GetU32(value) && reader.Done();
}

std::string EncodeU8(std::uint8_t value) {
  return PayloadWriter().PutU8(value).Take();
}

bool DecodeU8(const std::string& payload, std::uint8_t* value) {
  PayloadReader reader(payload);
  return reader.GetU8(value) && reader.Done();
}

}  // namespace talk
