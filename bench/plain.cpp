// The dialogue as its user would first write it, to measure tempconv against: the same questions
// and result lines on the standard streams, formatted extraction and insertion, and no checks.
#include <cctype>
#include <iostream>

int main() {
  char inscale = 0;
  double cel = 0;
  double far = 0;
  double kel = 0;
  int done = 0;
  std::cout
      << "   This program is used to convert the temperature from one scale to another.\n\n\n";
  while (done == 0) {
    std::cout << "Enter the input scale in which you want to enter the temperature (c/f/k) : ";
    std::cin >> inscale;
    inscale = static_cast<char>(std::tolower(static_cast<unsigned char>(inscale)));
    if (inscale == 'c') {
      std::cout << "Enter the temperature in Celsius : ";
      std::cin >> cel;
      far = cel * 9 / 5 + 32;
      kel = cel + 273.15;
      std::cout << "\nTemperature in Fahrenheit is : " << far
                << "\nTemperature in Kelvin is : " << kel << std::endl
                << std::endl;
      done = 1;
    } else if (inscale == 'f') {
      std::cout << "Enter the temperature in Fahrenheit : ";
      std::cin >> far;
      cel = (far - 32) * 5 / 9;
      kel = cel + 273.15;
      std::cout << "\nTemperature in Kelvin is :" << kel << "\nTemperature in Celsius is : " << cel
                << std::endl
                << std::endl;
      done = 1;
    } else if (inscale == 'k') {
      std::cout << "Enter the temperature in Kelvin : ";
      std::cin >> kel;
      cel = kel - 273.15;
      far = cel * 9 / 5 + 32;
      std::cout << "\nTemperature in Fahrenheit is : " << far
                << "\nTemperature in Celsius is : " << cel << std::endl
                << std::endl;
      done = 1;
    } else {
      std::cout << "Please enter a correct input scale!!!\n\n";
    }
  }
  // There is no pause command here: its prompt stands for it.
  std::cout << "Press any key to continue . . . \n";
  return 0;
}
