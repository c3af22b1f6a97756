// Placeholder until the generator lands.
namespace tapeloft::samples {}
