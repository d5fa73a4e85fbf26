{ same in Pascal }
function F: String;
begin
  Result := IntToStr(StrToInt('12') + StrToIntDef('12x', 7) + StrToIntDef('30', 7));
  Result := Result + ' ' + FloatToStr(2.5) + ' ' + FloatToStr(StrToFloat('0.125'));
end;
