// placeholder until this family is written
namespace morva {}
