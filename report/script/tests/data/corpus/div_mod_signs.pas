{ same in Pascal }
function F: Integer;
begin
  Result := (-7 div 2) * 100 + (-7 mod 3) * 10 + 7 mod -3;
end;
