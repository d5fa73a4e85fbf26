{ same in Pascal }
function F: String;
var a, b, c: Extended;
begin
  a := -2.5; b := -2.7; c := -2.75;
  Result := IntToStr(Round(2.5)) + IntToStr(Round(3.5)) + ' ' + IntToStr(Round(a)) + ' ' + IntToStr(Trunc(b));
  Result := Result + ' ' + FloatToStr(Sqr(1.5)) + ' ' + FloatToStr(Sqrt(16)) + ' ' + FloatToStr(Int(c));
  Result := Result + ' ' + FloatToStr(Frac(c)) + ' ' + FloatToStr(IntPower(2, 10)) + ' ' + FloatToStr(Power(9, 0.5));
  Result := Result + ' ' + FloatToStr(Exp(0)) + ' ' + FloatToStr(Ln(1)) + ' ' + FloatToStr(Sin(0)) + ' ' + FloatToStr(Cos(0));
  Result := Result + ' ' + FloatToStr(ArcTan(0)) + ' ' + FloatToStr(Tan(0)) + ' ' + FloatToStr(Tanh(0)) + ' ' + FloatToStr(Cosh(0));
end;
