// placeholder until these tests are written
namespace morva {}
