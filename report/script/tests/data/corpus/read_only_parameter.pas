function F(a: Integer; const b: Integer; var c: Integer): Integer;
begin
  a := 5;
  b := 6;
  c := 7;
  Result := a * 100 + b * 10 + c;
end;
